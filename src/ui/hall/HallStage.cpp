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

HallStageCode::HallStageCode(HallService &hall, QWidget *stage) : QWidget(stage), m_hall(hall), m_stage(stage)
{
    setObjectName(QStringLiteral("HallStageCode"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_corner = new QLabel(stage);
    m_corner->setObjectName(QStringLiteral("HallCode"));
    m_corner->setStyleSheet(QStringLiteral("QLabel { background: rgba(0,0,0,150); color: white; padding: 4px 10px;"
                                           " border-radius: 6px; font-size: 20px; font-weight: bold; }"));
    m_corner->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_qr = new QWidget(stage);
    m_qr->setObjectName(QStringLiteral("HallQr"));
    m_qr->setStyleSheet(QStringLiteral("#HallQr { background: white; border-radius: 12px; }"
                                       " QLabel { color: black; background: transparent; }"));
    auto *layout = new QVBoxLayout(m_qr);
    auto *title = new QLabel(QStringLiteral("扫码签到 · 查看中奖名单"), m_qr);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("font-size: 28px; font-weight: bold;"));
    m_qrPicture = new QLabel(m_qr);
    m_qrPicture->setAlignment(Qt::AlignCenter);
    m_qrText = new QLabel(m_qr);
    m_qrText->setAlignment(Qt::AlignCenter);
    m_qrText->setWordWrap(true);
    m_qrText->setStyleSheet(QStringLiteral("font-size: 18px;"));
    layout->addWidget(title);
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
    if (m_qr->isVisible()) {
        const QString address = m_hall.pageAddress();
        const int side = std::max(120, std::min(m_stage->width(), m_stage->height()) * 11 / 20);
        if (address != m_qrFor || m_qrPicture->pixmap().width() != side) {
            m_qrFor = address;
            const QImage image = qrImage(address, 1);
            m_qrPicture->setPixmap(QPixmap::fromImage(image.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation)));
        }
        m_qrText->setText(address + (code ? QStringLiteral("\n现场码 %1（每分钟更换）").arg(m_hall.hallCode()) : QString()));
    }
    place();
}

void HallStageCode::place()
{
    m_corner->adjustSize();
    m_corner->move(m_stage->width() - m_corner->width() - 16, 16);
    m_corner->raise();
    if (m_qr->isVisible()) {
        m_qr->adjustSize();
        m_qr->move((m_stage->width() - m_qr->width()) / 2, (m_stage->height() - m_qr->height()) / 2);
        m_qr->raise();
    }
}

bool HallStageCode::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_stage) {
        if (event->type() == QEvent::Resize)
            place();
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
        m_code = new HallStageCode(*m_hall, m_stage);
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
