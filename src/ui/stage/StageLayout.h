// The arrangement of the stage: every element's section read and written, the
// automatic main layout, captions placed clear of each other, the rolling slot
// layouts, and the window kept on its screen. It arranges the elements that
// TFrmMain owns and decides nothing about the draw.
#pragma once

#include "core/Result.h"
#include "core/settings/FontKeys.h"
#include "core/stage/SlotLayout.h"
#include "core/stage/StageFit.h"
#include "core/stage/StageScale.h"
#include "ui/common/Fonts.h"
#include "ui/stage/ScaledPlacement.h"

#include <QMap>
#include <filesystem>
#include <memory>
#include <vector>

class QRect;
class QTemporaryDir;
class QWidget;

namespace tessaly {

class IniStore;
class TAALabel;
class TFrmMain;

class StageLayout {
public:
    explicit StageLayout(TFrmMain &window);
    ~StageLayout();

    // The stage moves to a screen of that geometry and is arranged for it. A
    // transient move (the stage's own screen was unplugged) arranges it in memory
    // only; a move back that is not transient takes the stored layout again.
    void moveStage(const QRect &screen, bool transient);
    bool transient() const { return m_transient != nullptr; }

    void ReadConfig();
    void WriteConfig();
    void WriteConfigButtons();
    void WriteConfigMarquee();
    void AutoLayoutMain();
    void CentreOnStage(TAALabel *label);
    // A changing caption (status, prize, guest) centred clear of the prize
    // picture and the buttons, or kept in place, shrunk until it fits.
    void placeCaption(TAALabel *label, bool centre);
    void wrapPrizeName(int textRoom);
    void keepTitleClearOfLogo(TAALabel *title);
    // The status, prize and guest captions placed after they changed.
    void placeCaptions();
    // Where the rolling slots may stand: between the titles and the elements at the bottom.
    std::vector<StageRect> slotAreasOnStage() const;
    void ArrangeSlots(int n);
    bool ArrangeAllSlots(bool force);
    void ReadConfiglabel(int n, bool keepCaptions);
    void ReadConfiglabel20(int n, bool keepCaptions);
    void WriteConfiglabel(int n);
    void WriteConfiglabel20(int n);
    // Window mode: the window with its frame kept on the screen's free area.
    bool keepOnScreen();  // true when the window had to move or shrink
    // Window mode, once a resize has ended: the client size is stored for the
    // next start and the stage is arranged for it.
    void windowResized();
    void loadBackground();
    // The marquee's text: the winners of every award, or of the current one only.
    void ComposeMarquee();
    // The longest entry of the list, by its bytes: the width a slot must take.
    std::string longestEntry() const;
    // The stored layout is for another shape of stage (or, not fitted to the
    // screen, another size): the stage is arranged anew (true).
    bool arrangeForNewSize();
    // The stage took another size: arranged anew, or shown in proportion.
    void followStageSize();
    // The stored layout is shown in proportion to the screen ("按屏幕放大").
    bool fitToScreen() const { return m_fitToScreen; }
    void setFitToScreen(bool on);
    // How the main layout as stored maps onto the stage as it is now.
    const StageScale &scale() const { return m_placement.scale(); }
    // An element's place and font as they are stored: what was read when it has
    // not moved since, otherwise its place on the stage converted back.
    StageRect storedRect(const QWidget *element) const;
    FontSpec storedFont(const QWidget *element) const;
    // One element's place, size and font written into its section in their stored form.
    void storeElement(const QWidget *element);
    // The slots of a batch of n loaded again for the stage as it is now, their texts kept.
    void reloadSlots(int n);

    void applyFont(QWidget *widget, const FontSpec &spec);
    FontSpec fontOf(const QWidget *widget) const;
    const QtTextMeasurer &measurer() const { return m_measurer; }
    SlotBlockLayout &blockLayout() { return m_blockLayout; }
    void report(const tessaly::Status &status);
    bool commitSettings(IniStore &store);

    // The operator moved or resized an element: the layout is stored before it is read again.
    bool LayoutDirty = false;

private:
    // Where the layout is read and written: the event folder, or the private copy of a transient move.
    std::filesystem::path settingsDir() const;
    // An element's font from its stored form.
    void applyStoredFont(QWidget *element, const FontSpec &stored);
    // The stage as it is now, the size that layouts are fitted to.
    TextSize stageSize() const;
    // A slot width converted back: the width of the longest entry in the stored
    // font when it was sized to it, so the stored layout still counts as fitting.
    int storedSlotWidth(int converted, const FontSpec &storedFont) const;

    void writeGeometry(IniStore &s, const QWidget *w) const;
    void writeButtons(IniStore &s) const;
    void writeMarquee(IniStore &s) const;

    TFrmMain &m_window;
    std::unique_ptr<QTemporaryDir> m_transient;
    QtTextMeasurer m_measurer;
    QMap<const QWidget *, FontSpec> m_fonts;  // the stored form of each element's font
    SlotGridLayout m_slotLayout;
    SlotBlockLayout m_blockLayout;
    bool m_fitToScreen = true;
    ScaledPlacement m_placement;  // the main layout, from "screenmain"
    // The slots on the stage: how their section maps onto the stage, as stored and as shown.
    StageScale m_slotScale;
    SlotGridLayout m_slotStored, m_slotShown;
    StageScale m_blockScale;
    SlotBlockLayout m_blockStored, m_blockShown;
    int m_prizeNameLift = 0;  // how far a prize name broken into lines stands above its one-line top
};

}  // namespace tessaly
