#include "ui/console/ScreenPlacement.h"

#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/console/MirrorFields.h"
#include "ui/console/ProofFields.h"
#include "ui/console/StageMiniature.h"
#include "ui/console/TFrmConsole.h"
#include "ui/control/DrawControl.h"
#include "ui/stage/StageLayout.h"
#include "ui/stage/TFrmMain.h"
#include "ui/stage/TFrmSplash.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLoggingCategory>
#include <QScreen>

namespace tessaly {
namespace {

Q_LOGGING_CATEGORY(screensLog, "tessaly.screens")

std::vector<ScreenInfo> describe(const QList<QScreen *> &screens)
{
    std::vector<ScreenInfo> out;
    for (QScreen *s : screens)
        out.push_back({s->name().toStdString(), s->geometry().width(), s->geometry().height(),
                       s == QGuiApplication::primaryScreen()});
    return out;
}

std::string storedChoice(const std::filesystem::path &dir)
{
    auto settings = openSettings(dir);
    return settings ? settings->readString("Option", kStageScreenKey) : std::string();
}

// The stage's own windows stay with it; every other window of the stage opens for the
// operator (the screen lock too: it is application-modal, so it holds every screen).
bool belongsOnStage(const QWidget *w)
{
    return qobject_cast<const TFrmSplash *>(w);  // the results and winners windows are no dialogs
}

}  // namespace

QScreen *ScreenPlacement::stageScreenFor(const std::filesystem::path &programDir, const Options &options,
                                         ScreenPlan *plan)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return nullptr;
    const std::string wanted = options.stageScreen ? *options.stageScreen : storedChoice(programDir);
    const ScreenPlan chosen = chooseScreens(describe(screens), wanted, options.consoleAsked);
    if (plan)
        *plan = chosen;
    return screens.value(chosen.stage, screens.front());
}

ScreenPlacement::ScreenPlacement(TFrmMain &stage, std::filesystem::path programDir, Options options, QObject *parent)
    : QObject(parent), m_stage(stage), m_dir(std::move(programDir)), m_options(std::move(options))
{
    m_stageScreen = stageScreenFor(m_dir, m_options);
    connect(qApp, &QGuiApplication::screenAdded, this, &ScreenPlacement::screenAdded);
    connect(qApp, &QGuiApplication::screenRemoved, this, &ScreenPlacement::screenRemoved);
    qApp->installEventFilter(this);
}

ScreenPlacement::~ScreenPlacement()
{
    qApp->removeEventFilter(this);
    MessageService::setOperatorWindow(nullptr);
    delete m_console;
}

QScreen *ScreenPlacement::consoleScreen() const
{
    return m_consoleScreen;
}

void ScreenPlacement::showConsole()
{
    ScreenPlan plan;
    stageScreenFor(m_dir, m_options, &plan);
    if (plan.console < 0)
        return;
    const QList<QScreen *> screens = QGuiApplication::screens();
    m_consoleScreen = screens.value(plan.console);
    if (!m_console) {
        TFrmConsole::Context context{m_options.eventFolder, m_options.rehearsal,
                                     [this] { return QSize(m_stage.StageWidth(), m_stage.StageHeight()); },
                                     [this](const QString &name) { chooseStageScreen(name); }};
        m_console = new TFrmConsole(m_stage.control(), context);
        m_console->setAttribute(Qt::WA_DeleteOnClose, false);
        m_console->setAttribute(Qt::WA_QuitOnClose, false);  // the program ends with the stage
        m_stage.control().setOperatorWindow(m_console);
        MessageService::setOperatorWindow(m_console);
        new MirrorFields(*m_console, m_stage);
        new ProofFields(*m_console, m_stage.control());
    }
    QStringList names;
    for (QScreen *s : screens)
        names << s->name();
    m_console->setScreens(names, QString::fromStdString(storedChoice(m_dir)));
    if (plan.fellBack)
        m_console->setWarning(QStringLiteral("screen"),
                              QStringLiteral("找不到屏幕“%1”，舞台按“自动”显示在 %2。")
                                  .arg(QString::fromStdString(plan.missing), m_stageScreen ? m_stageScreen->name() : QString()));
    placeConsole();
}

void ScreenPlacement::placeConsole()
{
    if (!m_console || !m_consoleScreen)
        return;
    const QRect free = m_consoleScreen->availableGeometry();
    const bool sharesStage = m_consoleScreen == m_stageScreen;
    // On a screen of its own the console fills it; beside the stage it is a normal window on top.
    m_console->setWindowFlag(Qt::WindowStaysOnTopHint, sharesStage);
    if (sharesStage) {
        m_console->resize(std::min(free.width(), 1280), std::min(free.height(), 720));
        m_console->move(free.center() - m_console->rect().center());
        m_console->showNormal();
    } else {
        m_console->setGeometry(free);
        m_console->showMaximized();
    }
    m_console->raise();
    if (m_console->miniature())
        m_console->miniature()->setStageSize(QSize(m_stage.StageWidth(), m_stage.StageHeight()));
}

void ScreenPlacement::chooseStageScreen(const QString &name)
{
    auto settings = openSettings(m_dir);
    if (settings) {
        settings->writeString("Option", kStageScreenKey, name.toStdString());
        if (Status committed = settings->commit(); !committed && m_console)
            m_console->setWarning(QStringLiteral("screen"), toQt(committed.error().message));
    }
    m_options.stageScreen.reset();
    QScreen *target = stageScreenFor(m_dir, m_options);
    if (!target || target == m_stageScreen)
        return;
    m_stageScreen = target;
    m_borrowed = false;
    m_stage.layout().moveStage(target->geometry(), false);
    showConsole();
}

void ScreenPlacement::screenAdded(QScreen *screen)
{
    log(QStringLiteral("screen added: %1 %2x%3").arg(screen->name()).arg(screen->size().width()).arg(screen->size().height()));
    QScreen *wanted = stageScreenFor(m_dir, m_options);
    if (m_borrowed && wanted && wanted != m_stageScreen) {
        // The stage's screen is back: the stored layout returns with it.
        m_stageScreen = wanted;
        m_borrowed = false;
        m_stage.layout().moveStage(wanted->geometry(), false);
        if (m_console)
            m_console->setWarning(QStringLiteral("unplugged"), QString());
    }
    showConsole();
}

void ScreenPlacement::screenRemoved(QScreen *screen)
{
    log(QStringLiteral("screen removed: %1").arg(screen->name()));
    QList<QScreen *> remaining = QGuiApplication::screens();
    remaining.removeAll(screen);
    if (remaining.isEmpty())
        return;
    if (screen == m_stageScreen) {
        // The largest screen left takes the stage, arranged in memory only.
        QScreen *next = remaining.front();
        for (QScreen *s : remaining)
            if (s->size().width() * s->size().height() > next->size().width() * next->size().height())
                next = s;
        m_stageScreen = next;
        m_borrowed = true;
        m_stage.layout().moveStage(next->geometry(), true);
        if (m_console)
            m_console->setWarning(QStringLiteral("unplugged"),
                                  QStringLiteral("屏幕“%1”已拔出，舞台暂时显示在 %2（不保存版面）。")
                                      .arg(screen->name(), next->name()));
    }
    if (screen == m_consoleScreen || m_consoleScreen == m_stageScreen)
        m_consoleScreen = m_stageScreen;
    placeConsole();
}

bool ScreenPlacement::eventFilter(QObject *watched, QEvent *event)
{
    // A dialog of the stage opens over the console, on the operator's screen.
    if (event->type() == QEvent::Show && m_console && m_console->isVisible() && m_consoleScreen &&
        m_consoleScreen != m_stageScreen) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isWindow() && !belongsOnStage(dialog) && dialog->parentWidget() &&
            dialog->parentWidget()->window() == &m_stage) {
            const QRect free = m_consoleScreen->availableGeometry();
            dialog->move(free.center() - dialog->rect().center());
        }
    }
    return QObject::eventFilter(watched, event);
}

void ScreenPlacement::log(const QString &line)
{
    qCInfo(screensLog).noquote() << line;
}

}  // namespace tessaly
