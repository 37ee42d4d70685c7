// The popup menu of the stage's text labels, shared by the main window and the
// results window: font, effect, transparency, background colour, hiding and
// centring, each written into the label's own section at once.
#pragma once

#include "core/settings/FontKeys.h"

#include <QPoint>
#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace tessaly {

class MessageService;
class PickerService;
class TAALabel;

struct LabelMenuContext {
    std::filesystem::path programDir;
    MessageService &messages;
    PickerService &pickers;
    int stageWidth = 0;
    bool writeLeftOnCentre = true;  // the results window saves its positions itself
    std::function<FontSpec(const TAALabel *)> font;
    std::function<void(TAALabel *, const FontSpec &)> applyFont;
    std::function<void()> changed;  // called after every change
};

// A text label of the stage: named after its section, text centred, background transparent.
TAALabel *newStageLabel(QWidget *parent, const char *name);

// Runs the font dialog on a stored font; the chosen name, style, size and
// colour, or nothing on cancel.
std::optional<FontSpec> chooseFont(QWidget *parent, MessageService &messages, PickerService &pickers,
                                   const FontSpec &current);

void execLabelMenu(QWidget *parent, TAALabel *label, const LabelMenuContext &context, const QPoint &globalPos);

}  // namespace tessaly
