// What the award settings window needs from the stage it configures: live
// visibility of elements, title measuring and placing, and the reset after saving.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace tessaly {

class AwardSettingsHost {
public:
    virtual ~AwardSettingsHost() = default;
    // Saves the stage layout first when it has unsaved changes.
    virtual void saveLayoutIfDirty() = 0;
    // Stops a running roll exactly as the stop command does.
    virtual void stopRollingForSettings() = 0;
    virtual void setElementVisible(const QString &element, bool visible) = 0;
    virtual int stageWidth() const = 0;
    virtual bool photoMode() const = 0;
    virtual int elementTop(const QString &element) const = 0;
    virtual int elementLeft(const QString &element) const = 0;
    virtual void setElementLeft(const QString &element, int left) = 0;
    // A place on the stage as the element's section stores it (the stage may
    // show its layout in proportion to another screen size).
    virtual int storedTop(const QString &element) const { return elementTop(element); }
    virtual int storedLeft([[maybe_unused]] const QString &element, int left) const { return left; }
    // Width of a caption in the font of a main-window title.
    virtual int titleTextWidth(const QString &element, const QString &caption) const = 0;
    virtual void arrangeAllSlots() = 0;
    // Returns every participant and award to the pool after the table changed.
    virtual void resetDrawAfterSettings() = 0;
    // Winners recorded so far, which a reset would clear.
    virtual int recordedWinners() const { return 0; }
    // Keeps the dated backup an action that clears winners or replaces the
    // list needs first; false (the operator told why) when none could be made.
    virtual bool keepBackup() { return true; }
    // Applies saved settings that leave the draw where it is (titles, speed, keys, hide boxes).
    virtual void reloadAfterSettings() {}
    // "高级设置": the ready prompt, status templates, logo and guest announcements.
    virtual void openAdvancedSettings(QWidget *) {}
};

}  // namespace tessaly
