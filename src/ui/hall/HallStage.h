// The hall's pages as part of the running program: the check-in desk and the
// server (started from set.dat [Web] or --web, never in a rehearsal), the
// console's check-in panel, the settings page "现场互动", and on the stage the
// hall code and, on F8, the QR code of the pages' address with the event's token.
#pragma once

#include "core/checkin/WebSettings.h"
#include "ui/common/StageOverlay.h"
#include "ui/hall/HallPanel.h"
#include "ui/hall/HallService.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace tessaly {

class DrawControl;
class HallPanel;
class MessageService;
class PickerService;
class TFrmConsole;

// What the stage shows of the hall: a small hall code in a corner, and on F8 the
// QR code, the address and the hall code large in the middle, grown with the
// stage by `scale`.
class HallStageCode : public QWidget {
    Q_OBJECT
public:
    HallStageCode(HallService &hall, QWidget *stage, std::function<double()> scale);
    void toggle();
    bool showingQr() const { return m_qr->isVisible(); }
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    // Fonts, margins and corners at the stage's scale.
    void applyScale();
    void showQr();

    HallService &m_hall;
    QWidget *m_stage;
    StageOverlay *m_overlay;
    QLabel *m_qrTitle;
    QLabel *m_corner;
    QWidget *m_qr;
    QLabel *m_qrPicture;
    QLabel *m_qrText;
    QTimer m_timer;
    QString m_qrFor;
    int m_qrModule = 0;
    QList<int> m_qrLayoutKey;
};

class HallStage : public QObject {
    Q_OBJECT
public:
    struct Context {
        std::filesystem::path programDir;
        bool rehearsal = false;
        std::optional<std::pair<std::string, int>> commandLine;  // --web ADDRESS:PORT for this run
        std::function<double()> overlayScale;                    // the stage's scale for its hall code
    };
    HallStage(DrawControl &control, MessageService &messages, PickerService &pickers, QWidget *stage, Context context);
    ~HallStage() override;

    // Opens the desk and the pages as set.dat [Web] and the command line say.
    void begin(TFrmConsole *console);
    // "现场互动": the settings page, then the desk and the pages follow what was saved.
    void openSettings();
    HallService *hall() const { return m_hall.get(); }
    HallStageCode *stageCode() const { return m_code; }
    HallPanel *panel() const { return m_panel; }

private:
    void follow(const WebSettings &web, bool fromCommandLine);

    DrawControl &m_control;
    MessageService &m_messages;
    PickerService &m_pickers;
    QWidget *m_stage;
    Context m_context;
    QPointer<TFrmConsole> m_console;
    std::unique_ptr<HallService> m_hall;
    QPointer<HallPanel> m_panel;
    QPointer<HallStageCode> m_code;
};

}  // namespace tessaly
