// Which key combinations may be the two hot keys of the special settings: a
// stray keystroke must never open the access prompt or return every winner to
// the pool, and the desktop's own combinations never reach the program.
#pragma once

#include "settings/IniStore.h"

#include <string>
#include <vector>

namespace tessaly {

enum class HotKeyFault {
    None,
    NotCtrlOrAltLetterOrDigit,  // a plain key, Shift alone, or a key that is no letter or digit
    TakenByDesktop,             // Alt+F4, Alt+Tab, Ctrl+Alt+F1 to F12, Ctrl+Alt+Backspace or Delete
    SameAsOther,
    SameAsStartKey,
};

// A shortcut code (virtual key plus 8192 Shift, 16384 Ctrl, 32768 Alt) as one
// hot key: Ctrl or Alt (Shift may come too) with a letter or digit, other than
// `otherCode` and not on the start key.
HotKeyFault checkHotKey(int code, int otherCode, int startkey);

// Why a combination was refused (GBK), for the field's name to go in front.
std::string hotKeyFaultText(HotKeyFault fault);

// The two stored hot keys that break the rule, as "sndfo=13：reason" lines
// (GBK); such a key is off until it is set again.
std::vector<std::string> storedHotKeyProblems(const IniStore &settings);

// The stored hot keys as the stage uses them: one that breaks the rule is 0 (off).
void readHotKeys(const IniStore &settings, int &sndfo, int &sndst);

}  // namespace tessaly
