// Photo mode on the stage: the mode switches, the load of every participant's
// photo with its progress, the picture slots of a batch with their layout and
// captions, the rolling paints and the winners' photos at a stop. The window
// owns one and hands it the photo actions of the draw; the winners window reads
// the decoded photos from it.
#pragma once

#include "core/draw/Random.h"
#include "core/participants/PhotoTable.h"
#include "core/settings/FontKeys.h"
#include "core/stage/PhotoGrid.h"
#include "core/stage/StageScale.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace tessaly {

class DrawSession;
struct DrawOutcome;
class MessageService;
class PickerService;
class PhotoCaption;
class PhotoSlot;
class TAALabel;

// What the photo stage needs of the window.
struct PhotoStageHost {
    QWidget *stage = nullptr;
    DrawSession *session = nullptr;
    MessageService *messages = nullptr;
    PickerService *pickers = nullptr;
    std::filesystem::path programDir;
    TAALabel *readyLuck = nullptr;
    QPushButton *goButton = nullptr;
    std::function<QSize()> stageSize;
    std::function<void(const DrawOutcome &)> apply;
    std::function<void(QWidget *)> attachHandle;
    std::function<bool()> adjustMode;
    std::function<void()> arrangeTextSlots;  // after the switch to text mode
    std::function<StageRect()> slotArea;     // where rolling slots may stand, clear of the other elements
};

class PhotoStage : public QObject {
    Q_OBJECT
public:
    explicit PhotoStage(PhotoStageHost host, QObject *parent = nullptr);
    ~PhotoStage() override;

    // The two mode items of the settings menu, checked to match the mode.
    void addModeItems(QMenu *menu);
    void NB6Click();  // text mode
    void NB7Click();  // photo mode

    // The draw's photo actions.
    void ShowPhotoPrompt();
    void LoadPhotos();
    void StartPhotoRolling();
    void StopPhotoRolling();
    void ShowPhotoWinners();
    void clearSlots();
    // Stores the slots as moved by hand (adjustment mode ends).
    void SavePhotoSlotPositions(int n);
    void BuildPhotoSlots(int n, bool recreate);
    // One rolling paint: every slot shows a random entry still in play.
    void PaintRollingPhotos();

    // Popup menu of the slots: layout dialog and caption font.
    void Npp1Click();
    void Npp3Click();

    // The decoded photos, for the winners window too: the picture of an entry,
    // a placeholder with its name when its photo failed, null before a load.
    const PhotoTable &table() const { return m_table; }
    QImage photo(int entry) const;
    bool loading() const { return m_loading; }
    int slotCount() const { return static_cast<int>(m_slots.size()); }
    PhotoSlot *slot(int i) const;        // from 1
    PhotoCaption *caption(int i) const;  // from 1
    QLabel *Label_loadpho = nullptr;
    QLabel *Label_loadpho2 = nullptr;
    QAction *NB6 = nullptr;
    QAction *NB7 = nullptr;
    QTimer &rollTimer() { return m_rollTimer; }
    // Time of the last rolling paint's picking and invalidation (microseconds).
    qint64 lastPaintMicros() const { return m_lastPaintMicros; }

private:
    // Recorded winners are cleared by the switch: asked first, saying where the backup goes.
    bool confirmModeSwitch();
    void syncModeItems();
    void freePhotos();
    void buildImages(const std::vector<PhotoFailure> &failures, DecodeBox box);
    QImage placeholder(const std::string &name, DecodeBox box) const;
    const QImage *imageFor(int entry) const;
    const QImage *winnerImage(int entry, QSize slotSize);
    void placeCaption(int i);
    void applyCaptionFont(const FontSpec &font);
    void showSlotMenu(PhotoSlot *slot, const QPoint &globalPos);
    void reportFailures(const std::vector<PhotoFailure> &failures);
    QString screenKey() const;
    int stageWidth() const;
    int stageHeight() const;

    PhotoStageHost m_host;
    PhotoTable m_table;
    std::vector<QImage> m_images;  // per entry: wraps the table's pixels, or a placeholder
    std::deque<QImage> m_winnerImages;  // winners decoded again for slots larger than the table's photos
    QImage m_blank;
    std::vector<PhotoSlot *> m_slots;
    std::vector<PhotoCaption *> m_captions;
    PhotoSlotLayout m_layout;        // as shown on this stage
    PhotoSlotLayout m_storedLayout;  // as stored, for the screen it was arranged for
    StageScale m_photoScale;
    int m_slotsFor = 0;  // the batch size the slots were built for
    QTimer m_rollTimer;
    MtRandom m_random;
    bool m_rolling = false;
    bool m_loading = false;
    std::atomic<bool> m_cancelLoad{false};
    // Writes what a load decoded from the originals into the user's photo
    // cache, after the load, at a low priority; stopped before the table goes.
    std::jthread m_cacheWriter;
    std::atomic<bool> m_cancelCacheWrite{false};
    void stopCacheWriter();
    qint64 m_lastPaintMicros = 0;
};

}  // namespace tessaly
