// The stage window: the background, titles, captions, prize picture, logo,
// buttons, marquee, tool bar and rolling slots, driven by one draw session of
// the core. Every operator action is one call into the session; the window
// shows what it returns.
#pragma once

#include "core/draw/Clock.h"
#include "core/draw/Random.h"
#include "core/draw/SlotStage.h"
#include "core/settings/FontKeys.h"
#include "core/stage/SlotLayout.h"
#include "core/stage/StageFit.h"
#include "ui/common/Fonts.h"
#include "ui/common/StretchedPicture.h"
#include "ui/settings/AwardSettingsHost.h"

#include <QImage>
#include <QMap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>

class QMenu;
class QAction;
class QToolButton;
class QFrame;
class QLabel;

namespace tessaly {

class DrawControl;
class DrawSession;
class ProofBadge;
class GuestNumbersBanner;
class EventMirror;
struct DrawOutcome;
class FileOpener;
class FocusKeeper;
class MessageService;
class PickerService;
class PhotoStage;
class PictureBox;
class SlotLabel;
class SoundPlayer;
class TAALabel;
class TFrmFloat;
class TForm_float2;
class TRzButton;
class TSkyScrollText;
class TStretchHandle;
class SpecialSettings;
class StageLayout;

class TFrmMain : public QWidget, public AwardSettingsHost, public SlotStage {
    Q_OBJECT
    friend class StageLayout;  // arranges the elements below
public:
    struct Services {
        MessageService &messages;
        FileOpener &opener;
        PickerService &pickers;
    };

    // stageSize: the screen in full-screen mode (ignored in window mode).
    TFrmMain(std::filesystem::path programDir, Services services, QSize stageSize, QWidget *parent = nullptr);
    ~TFrmMain() override;

    // Reads the settings, restores or resets the draw and prepares the first batch.
    void FormShow();

    DrawSession &session() { return *m_session; }
    // The operator's actions, shared with the console.
    DrawControl &control() { return *m_control; }
    // The stage's settings menu, where a feature owned beside the window adds its page.
    QMenu *settingsMenu() const { return m_menuSettings; }
    // The mirror folder every save is copied to (nullptr: none); its state shows on the
    // console, or with one screen on the tool bar's status line.
    void setMirror(std::unique_ptr<EventMirror> mirror);
    // The commit counters of the event folder and of the mirror (-1 without one), as last shown.
    struct CommitCounts {
        long long event = 0;
        long long mirror = -1;
    };
    const CommitCounts &commitCounts() const { return m_commitCounts; }
    SoundPlayer &sound() { return *m_sound; }
    SpecialSettings &special() { return *m_special; }
    // Photo mode: the picture slots and the decoded photos.
    PhotoStage &photos() { return *m_photos; }
    int StageWidth() const { return m_stage.width(); }
    int StageHeight() const { return m_stage.height(); }
    QString ScreenKey() const;
    // How much larger than on a 1920x1080 stage the program's own marks over the
    // stage (badges, banners, the hall's code) are drawn.
    double overlayScale() const;
    bool adjustMode() const { return AdjustMode; }
    int slotsOnStage() const { return m_slotsOnStage; }
    // The arrangement of the elements on the stage.
    StageLayout &layout() { return *m_layout; }

    // Operator commands (menus, buttons, keys).
    void GoButtonClick();
    void StopButtonClick();
    void NA2Click();  // adjustment mode on or off
    void NA3Click();  // restore the factory settings
    void NA6Click();  // arrange every slot layout anew
    void NA7Click();  // automatic main layout
    void ND1Click();  // tips
    void ND2Click();  // help file
    void openAwardSettings();
    void openSoundSettings();
    void openMirrorSettings();  // "同步备份..."
    void openListEditor();  // "编辑抽奖人员名单"
    void NC1Click();  // show the results window
    void NC2Click();  // show the winners window
    void restoreBackupClick();  // brings back a backup kept before a reset
    void NC9Click();  // change a prize name
    // Writes the one-page proof sheet of the commitment in force and opens it.
    void printProofSheet();
    // The guests' numbers of the award about to begin.
    void openGuestNumbers();
    void slotFontDialog(int slot);   // "设置字体" of a slot
    void openBlockArrangement();     // "分列编排" of the text block
    void chooseAwardPictureSize();   // "设置图片大小" of the prize picture

    // One tick of the running roll timer, as the timer would run it.
    void RollTick();
    // Time spent in the last roll tick's core call and label update (microseconds).
    qint64 lastTickMicros() const { return m_lastTickMicros; }
    int tickCount() const { return m_tickCount; }

    // SlotStage
    void layoutSlots(int batchSize) override;
    void layoutTextBlock(int batchSize) override;

    // AwardSettingsHost
    void saveLayoutIfDirty() override;
    void stopRollingForSettings() override;
    void setElementVisible(const QString &element, bool visible) override;
    int stageWidth() const override { return StageWidth(); }
    bool photoMode() const override;
    int elementTop(const QString &element) const override;
    int elementLeft(const QString &element) const override;
    void setElementLeft(const QString &element, int left) override;
    int storedTop(const QString &element) const override;
    int storedLeft(const QString &element, int left) const override;
    int titleTextWidth(const QString &element, const QString &caption) const override;
    void arrangeAllSlots() override;
    void resetDrawAfterSettings() override;
    int recordedWinners() const override;
    bool keepBackup() override;
    void reloadAfterSettings() override;
    void openAdvancedSettings(QWidget *parent) override;

    // The stage elements, by their component names.
    TAALabel *FirstTitle = nullptr;
    TAALabel *SecondTitle = nullptr;
    TAALabel *readyLuck = nullptr;
    TAALabel *Status = nullptr;
    TAALabel *Award = nullptr;
    TAALabel *boss = nullptr;
    PictureBox *Image_Award = nullptr;
    PictureBox *Image_logo = nullptr;
    TSkyScrollText *RzMarqueeStatus1 = nullptr;
    TRzButton *GoButton = nullptr;
    TRzButton *StopButton = nullptr;
    QFrame *ControlBar1 = nullptr;
    QLabel *StatusLine = nullptr;       // on ControlBar1: failed saves and the mirror
    QToolButton *RetryButton = nullptr;  // on ControlBar1: shown while a stop's save failed
    std::array<SlotLabel *, kMaxSlots> Labels{};  // Label1 to Label20
    SlotLabel *Label21 = nullptr;
    TStretchHandle *myDrag = nullptr;
    QTimer Timer1;
    QTimer Timer2;

signals:
    // The failed save's and the mirror's state were shown anew (after every outcome).
    void mirrorStateShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Building the stage.
    void createElements();
    void createMenus();
    TAALabel *createLabel(const char *name);
    void AttachHandle(QWidget *element);
    QWidget *element(const QString &name) const;
    QList<TAALabel *> textLabels() const;

    // The draw glue.
    // Hands a window's quiet notice to the operator's notice place.
    std::function<void(const QString &)> postNotice();
    // The outcome's stage actions carried out and the captions shown.
    void showOutcome(const DrawOutcome &outcome);
    void showCaptions();
    void showMirrorState();
    void showSlotTexts();
    void showGridText();
    void clearSlots();
    void Timer1Timer();
    void Timer2Timer();
    void startTimer(QTimer &timer);
    bool FormKeyDown(QKeyEvent *event);
    bool FormKeyUp(QKeyEvent *event);


    // Popup menus.
    void PopupMenu2Popup(TAALabel *label, const QPoint &globalPos);
    void PopupMenu1Popup(const QPoint &globalPos);
    void PopupMenu3Popup(int slot, const QPoint &globalPos);
    void PopupMenu5Popup(const QPoint &globalPos);
    void PopupMenu4Popup(const QPoint &globalPos);
    void openSlotArrangement();
    void chooseBackground(int index);
    void BuildStartFromMenu();

    std::filesystem::path m_programDir;
    Services m_services;
    QSize m_stage;
    MtRandom m_random;
    SystemClock m_clock;
    std::unique_ptr<EventMirror> m_mirror;  // before the session, which keeps a pointer to it
    std::unique_ptr<DrawSession> m_session;
    std::unique_ptr<StageLayout> m_layout;
    DrawControl *m_control = nullptr;
    QString m_captionBase;  // the window caption without the mirror's state
    CommitCounts m_commitCounts;
    SoundPlayer *m_sound = nullptr;

    StretchedPicture m_background;

    bool AdjustMode = false;
    bool m_startKeyDown = false;  // the start key went down by itself on the stage; its release acts
    FocusKeeper *m_focusKeeper = nullptr;
    bool m_autoHideBar = true;
    bool m_windowMode = false;  // runfrom
    bool m_shown = false;       // the first layout has been made
    QTimer m_windowSettle;      // a resize has ended when this runs out
    int m_slotsOnStage = 0;     // the batch size whose slots stand on the stage, 0 when none
    QPoint m_barDragStart;
    QString PopupLabelName;
    int PopupSlotName = 0;
    qint64 m_lastTickMicros = 0;
    int m_tickCount = 0;

    PhotoStage *m_photos = nullptr;
    ProofBadge *m_proofBadge = nullptr;
    GuestNumbersBanner *m_guestBanner = nullptr;
    QPointer<TFrmFloat> m_results;
    SpecialSettings *m_special = nullptr;
    QPointer<TForm_float2> m_winners;
    QMenu *m_menuInterface = nullptr;
    QMenu *m_menuSettings = nullptr;
    QMenu *m_menuFunctions = nullptr;
    QMenu *m_menuHelp = nullptr;
    QMenu *NC5 = nullptr;
    QAction *NA2 = nullptr;
    QAction *NB3 = nullptr;
};

}  // namespace tessaly
