#include "special/HotKeys.h"

#include "special/SpecialLists.h"
#include "text/Gbk.h"

namespace tessaly {
namespace {

constexpr int kShift = 8192, kCtrl = 16384, kAlt = 32768;
constexpr int kVkBack = 0x08, kVkTab = 0x09, kVkDelete = 0x2E, kVkF1 = 0x70, kVkF4 = 0x73, kVkF12 = 0x7B;

bool takenByDesktop(int code)
{
    const int vk = code & 8191;
    const int mods = code & (kShift | kCtrl | kAlt);
    if ((mods & ~kShift) == kAlt && (vk == kVkF4 || vk == kVkTab))
        return true;
    return (mods & (kCtrl | kAlt)) == (kCtrl | kAlt) && ((vk >= kVkF1 && vk <= kVkF12) || vk == kVkBack || vk == kVkDelete);
}

}  // namespace

HotKeyFault checkHotKey(int code, int otherCode, int startkey)
{
    if (takenByDesktop(code))
        return HotKeyFault::TakenByDesktop;
    const int vk = code & 8191;
    const bool letterOrDigit = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
    if (code < 0 || code > 65535 || !letterOrDigit || !(code & (kCtrl | kAlt)))
        return HotKeyFault::NotCtrlOrAltLetterOrDigit;
    if (code == otherCode)
        return HotKeyFault::SameAsOther;
    if (vk == startkey)
        return HotKeyFault::SameAsStartKey;
    return HotKeyFault::None;
}

std::string hotKeyFaultText(HotKeyFault fault)
{
    switch (fault) {
    case HotKeyFault::None:
        return {};
    case HotKeyFault::NotCtrlOrAltLetterOrDigit:
        return TSL_GBK("快捷键须是Ctrl或Alt加一个字母或数字键，如Ctrl+Alt+U。");
    case HotKeyFault::TakenByDesktop:
        return TSL_GBK("这个组合键由系统使用，请换一个。");
    case HotKeyFault::SameAsOther:
        return TSL_GBK("两个快捷键不能相同。");
    case HotKeyFault::SameAsStartKey:
        return TSL_GBK("快捷键不能用开始键。");
    }
    return {};
}

std::vector<std::string> storedHotKeyProblems(const IniStore &settings)
{
    // Read as the stage reads them: a value that is no number stands for the default.
    const int startkey = settings.readInteger("Option", "startkey", 32);
    const int open = settings.readInteger("Option", "sndfo", kDefaultOpenKey);
    const int enable = settings.readInteger("Option", "sndst", kDefaultEnableKey);
    std::vector<std::string> problems;
    auto name = [&](const char *key, int code, int other) {
        if (const HotKeyFault fault = checkHotKey(code, other, startkey); fault != HotKeyFault::None)
            problems.push_back(std::string(key) + "=" + settings.readString("Option", key, std::to_string(code)) + TSL_GBK("：") +
                               hotKeyFaultText(fault) + TSL_GBK("已停用，请在特殊功能设定中重新设置。"));
    };
    name("sndfo", open, -1);
    name("sndst", enable, open);
    return problems;
}

void readHotKeys(const IniStore &settings, int &sndfo, int &sndst)
{
    const int startkey = settings.readInteger("Option", "startkey", 32);
    sndfo = settings.readInteger("Option", "sndfo", kDefaultOpenKey);
    sndst = settings.readInteger("Option", "sndst", kDefaultEnableKey);
    // The enabling key is named for sharing the other's code; the opening key keeps it.
    const bool openOk = checkHotKey(sndfo, -1, startkey) == HotKeyFault::None;
    const bool enableOk = checkHotKey(sndst, sndfo, startkey) == HotKeyFault::None;
    if (!openOk)
        sndfo = 0;
    if (!enableOk)
        sndst = 0;
}

}  // namespace tessaly
