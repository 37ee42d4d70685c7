// The stage and the operator console on the screens attached: the stage full
// screen on the chosen screen, the console on another, every question and
// settings dialog of the stage opened on the console's screen. A screen
// unplugged during the show moves the stage to a remaining screen, arranged in
// memory only; plugged back, the stage returns with its stored layout.
#pragma once

#include "core/stage/ScreenChoice.h"
#include "ui/console/TFrmConsole.h"

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QString>
#include <filesystem>
#include <optional>

namespace tessaly {

class TFrmMain;

class ScreenPlacement : public QObject {
    Q_OBJECT
public:
    struct Options {
        std::optional<std::string> stageScreen;  // --stage-screen for this run
        bool consoleAsked = false;               // --console
        QString eventFolder;
        bool rehearsal = false;
    };

    // The screen the stage should open on, before the stage window exists.
    static QScreen *stageScreenFor(const std::filesystem::path &programDir, const Options &options,
                                   ScreenPlan *plan = nullptr);

    ScreenPlacement(TFrmMain &stage, std::filesystem::path programDir, Options options, QObject *parent = nullptr);
    ~ScreenPlacement() override;

    // Shows the console when there are two screens or it was asked for.
    void showConsole();
    TFrmConsole *console() const { return m_console; }
    QScreen *stageScreen() const { return m_stageScreen; }
    QScreen *consoleScreen() const;

    // What the application's screen signals call (tests call them too).
    void screenAdded(QScreen *screen);
    void screenRemoved(QScreen *screen);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseStageScreen(const QString &name);
    void placeConsole();
    void log(const QString &line);

    TFrmMain &m_stage;
    std::filesystem::path m_dir;
    Options m_options;
    QPointer<TFrmConsole> m_console;
    QPointer<QScreen> m_stageScreen;
    QPointer<QScreen> m_consoleScreen;
    bool m_borrowed = false;  // the stage stands on a screen it only borrows
};

}  // namespace tessaly
