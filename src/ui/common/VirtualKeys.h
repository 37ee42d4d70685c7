// Keys as the settings store them: virtual-key codes (Space 32, Enter 13,
// F1 112 ...) and combinations with 8192 for Shift, 16384 for Ctrl and 32768
// for Alt added.
#pragma once

#include <Qt>

class QKeyEvent;

namespace tessaly {

// The virtual-key code of a Qt key, 0 when it has none.
int virtualKeyFromQt(int qtKey);
// The Qt key of a virtual-key code, 0 when unknown.
int qtKeyFromVirtualKey(int vk);
// The shortcut code of a key event: its virtual key plus the modifier values.
int shortcutCode(const QKeyEvent &event);

}  // namespace tessaly
