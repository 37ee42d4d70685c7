#include "ui/hall/HallStage.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/console/TFrmConsole.h"
#include "ui/control/DrawControl.h"
#include "ui/hall/HallPanel.h"
#include "ui/hall/TForm_hall.h"
#include "ui/proof/QrImage.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace tessaly {

HallStageCode::HallStageCode(HallService &hall, QWidget *stage, std::function<double()> scale)
    : QWidget(stage), m_hall(hall), m_stage(stage),
      m_overlay(new StageOverlay(stage, std::move(scale), [this] { place(); }, this))
{
    setObjectName(QStringLiteral("HallStageCode"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_corner = new QLabel(stage);
    m_corner->setObjectName(QStringLiteral("HallCode"));
    m_corner->setAttribute(Qt::WA_TransparentForMouseEvents);
    StageOverlay::setKind(m_corner, StageOverlay::Kind::Mark);
    m_qr = new QWidget(stage);
    m_qr->setObjectName(QStringLiteral("HallQr"));
    StageOverlay::setKind(m_qr, StageOverlay::Kind::Layer);
    auto *layout = new QVBoxLayout(m_qr);
    m_qrTitle = new QLabel(QStringLiteral("扫码签到 · 查看中奖名单"), m_qr);
    m_qrTitle->setAlignment(Qt::AlignCenter);
    m_qrPicture = new QLabel(m_qr);
    m_qrPicture->setAlignment(Qt::AlignCenter);
    m_qrText = new QLabel(m_qr);
    m_qrText->setAlignment(Qt::AlignCenter);
    m_qrText->setWordWrap(true);
    layout->addWidget(m_qrTitle);
    layout->addWidget(m_qrPicture, 1);
    layout->addWidget(m_qrText);
    m_qr->hide();
    hide();
    stage->installEventFilter(this);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &HallStageCode::refresh);
    m_timer.start();
    refresh();
}

void HallStageCode::toggle()
{
    m_qr->setVisible(!m_qr->isVisible() && m_hall.serving());
    refresh();
}

void HallStageCode::refresh()
{
    const bool serving = m_hall.serving();
    // The hall code changes every minute; the stage shows it while phones can check in with it.
    const bool code = serving && m_hall.site().hallCode() != WebSite::HallCode::Off;
    m_corner->setText(QStringLiteral("现场码 %1").arg(m_hall.hallCode()));
    m_corner->setVisible(code);
    if (!serving)
        m_qr->hide();
    if (m_qr->isVisible())
        m_qrText->setText(m_hall.pageAddress() +
                          (code ? QStringLiteral("\n现场码 %1（每分钟更换）").arg(m_hall.hallCode()) : QString()));
    place();
}

void HallStageCode::applyScale()
{
    auto px = [this](int pixels) { return m_overlay->px(pixels); };
    m_corner->setStyleSheet(QStringLiteral("QLabel { background: rgba(0,0,0,150); color: white; padding: %1px %2px;"
                                           " border-radius: %3px; font-size: %4px; font-weight: bold; }")
                                .arg(px(4))
                                .arg(px(10))
                                .arg(px(6))
                                .arg(px(20)));
    m_qr->setStyleSheet(QStringLiteral("#HallQr { background: white; border-radius: %1px; }"
                                       " QLabel { color: black; background: transparent; }")
                            .arg(px(12)));
    m_qrTitle->setStyleSheet(QStringLiteral("font-size: %1px; font-weight: bold;").arg(px(28)));
    m_qrText->setStyleSheet(QStringLiteral("font-size: %1px;").arg(px(18)));
    m_qr->layout()->setContentsMargins(px(12), px(12), px(12), px(12));
    m_qr->layout()->setSpacing(px(8));
}

void HallStageCode::showQr()
{
    // Whole pixels to a module keep the code sharp for a phone's camera. The code
    // takes 55 % of the stage's shorter side, never less than on a 1080 stage
    // grown with the marks; smaller only where the panel would not fit the stage.
    const QString address = m_hall.pageAddress();
    // Laid out again only when the stage, its scale or the marks on it changed.
    QList<int> layoutKey{m_stage->width(), m_stage->height(), m_overlay->px(1000)};
    for (QObject *child : m_stage->children())
        if (auto *w = qobject_cast<QWidget *>(child); w && w->isVisible() && StageOverlay::isMark(w))
            layoutKey << w->x() << w->y() << w->width() << w->height();
    if (address == m_qrFor && layoutKey == m_qrLayoutKey)
        return;
    m_qrLayoutKey = layoutKey;
    const int modules = qrImage(address, 1).width();
    if (modules == 0)
        return;
    const int largest =
        std::max(1, std::max(m_overlay->px(594), std::min(m_stage->width(), m_stage->height()) * 11 / 20) / modules);
    const int margin = m_overlay->px(16);
    // The panel between the top of the stage and `bottom`, at the largest module that fits.
    auto fit = [&](int bottom) {
        for (int module = largest;; --module) {
            if (address != m_qrFor || module != m_qrModule) {
                m_qrFor = address;
                m_qrModule = module;
                m_qrPicture->setPixmap(QPixmap::fromImage(qrImage(address, module)));
            }
            m_qr->adjustSize();
            m_qr->move((m_stage->width() - m_qr->width()) / 2, (bottom + margin - m_qr->height()) / 2);
            if (module == 1 || (m_qr->width() <= m_stage->width() - 2 * margin && m_qr->y() >= margin))
                return;
        }
    };
    // Above the marks it meets in the lower half of the stage (the guests' numbers,
    // the commitment's badge on a small stage).
    int bottom = m_stage->height() - margin;
    fit(bottom);
    for (QObject *child : m_stage->children())
        if (auto *w = qobject_cast<QWidget *>(child); w && w->isVisible() && StageOverlay::isMark(w) &&
                                                      w->geometry().intersects(m_qr->geometry()) &&
                                                      w->y() > m_stage->height() / 2)
            bottom = std::min(bottom, w->y() - margin);
    if (bottom < m_stage->height() - margin)
        fit(bottom);
}

void HallStageCode::place()
{
    if (m_overlay->rescaled())
        applyScale();
    // In the upper right corner, below the rehearsal mark or whatever else stands there.
    m_corner->adjustSize();
    const int margin = m_overlay->px(16);
    m_corner->move(m_overlay->clearOf(
        m_corner, QRect(QPoint(m_stage->width() - m_corner->width() - margin, margin), m_corner->size()), false,
        m_stage->height() / 2));
    m_corner->raise();
    if (m_qr->isVisible()) {
        showQr();
        m_qr->raise();
    }
}

bool HallStageCode::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_stage) {
        // F8 by itself shows and hides the QR code; the stage's own keys never use it.
        if (event->type() == QEvent::KeyRelease) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_F8 && !key->isAutoRepeat() &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                toggle();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

HallStage::HallStage(DrawControl &control, MessageService &messages, PickerService &pickers, QWidget *stage,
                     Context context)
    : QObject(stage), m_control(control), m_messages(messages), m_pickers(pickers), m_stage(stage),
      m_context(std::move(context))
{
}

HallStage::~HallStage()
{
    // The widgets read the service: they go first.
    delete m_panel;
    delete m_code;
    m_hall.reset();
}

void HallStage::begin(TFrmConsole *console)
{
    m_console = console;
    auto settings = tessaly::openSettings(m_context.programDir);
    WebSettings web = settings ? readWebSettings(*settings) : WebSettings{};
    if (m_context.commandLine) {
        web.enabled = true;
        web.address = m_context.commandLine->first;
        web.port = m_context.commandLine->second;
    }
    follow(web, m_context.commandLine.has_value());
}

void HallStage::openSettings()
{
    TForm_hall dialog(m_context.programDir, m_context.rehearsal, m_messages, m_control.operatorWindow());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // "只抽已签到的人" counts from the next award that begins.
    m_control.apply(m_control.session().ReloadOptions());
    // --web serves this run wherever set.dat says otherwise.
    WebSettings web = dialog.settings();
    if (m_context.commandLine) {
        web.enabled = true;
        web.address = m_context.commandLine->first;
        web.port = m_context.commandLine->second;
    }
    follow(web, m_context.commandLine.has_value());
}

void HallStage::follow(const WebSettings &web, bool fromCommandLine)
{
    const bool serve = web.enabled && !m_context.rehearsal;
    if (!m_hall && (serve || web.onlyCheckedIn || fromCommandLine)) {
        auto opened = HallService::open(m_control, m_context.programDir, web);
        if (!opened) {
            m_messages.notify(m_control.operatorWindow(), QStringLiteral("提示"), toQt(opened.error().message),
                              MessageService::Icon::Warning);
            return;
        }
        m_hall = std::move(*opened);
        m_code = new HallStageCode(*m_hall, m_stage, m_context.overlayScale);
        if (m_console) {
            m_panel = new HallPanel(*m_hall, m_messages, m_pickers, [this] { openSettings(); });
            m_console->addPanel(m_panel);
        }
    }
    if (!m_hall)
        return;
    m_hall->applySettings(web);
    const bool moved = m_hall->serving() && (m_hall->address() != web.address || m_hall->servedPort() != web.port);
    if (serve && (!m_hall->serving() || moved)) {
        if (Status served = m_hall->serve(web.address, web.port); !served)
            m_messages.notify(m_control.operatorWindow(), QStringLiteral("提示"), toQt(served.error().message),
                              MessageService::Icon::Warning);
    } else if (!serve && m_hall->serving()) {
        m_hall->stopServing();
    }
    if (m_code)
        m_code->refresh();
    if (m_panel)
        m_panel->refresh();
}

}  // namespace tessaly
