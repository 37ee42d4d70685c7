// Stored secrets and hot keys that nobody could type or press on purpose:
// named with how to reset them, never a silent lock-out or a stray restart.
#include "DrawFixtures.h"

#include "core/event/PreEventCheck.h"
#include "core/special/HotKeys.h"
#include "core/special/Secrets.h"
#include "core/special/SpecialLists.h"
#include "core/text/Base64.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using namespace test;

IniStore optionStore(const TempProgramDir &dir, const std::string &lines)
{
    dir.write("set.dat", "[Option]\r\n" + lines);
    return std::move(*IniStore::open(dir / "set.dat"));
}

TEST(StoredSecrets, OnlyASecretSomeoneCanTypeIsUsed)
{
    struct Case {
        std::string stored;  // "-" for no key
        std::optional<std::string> secret;
    };
    const Case cases[] = {
        {"-", std::string()},
        {base64Encode("pw"), std::string("pw")},
        {base64Encode(G("中文 密码")), G("中文 密码")},
        {"IHB3", std::nullopt},  // " pw": a typed entry is trimmed, so it never matches
        {base64Encode("pw "), std::nullopt},
        {"AAAA", std::nullopt},  // three NUL bytes
        {base64Encode("a\tb"), std::nullopt},
        {base64Encode("a\x7f"), std::nullopt},
        {base64Encode("\x81"), std::nullopt},  // half a GBK character
        {"@@", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        TempProgramDir dir;
        const IniStore s = optionStore(dir, c.stored == "-" ? "" : "sndmm=" + c.stored + "\r\nlocksremm=" + c.stored + "\r\n");
        EXPECT_EQ(storedSecret(s, "sndmm"), c.secret);
        EXPECT_EQ(storedSecret(s, "locksremm"), c.secret);
        const std::string notice = unusableSecretNotice(s, "sndmm");
        EXPECT_EQ(notice.empty(), c.secret.has_value());
        if (!c.secret) {
            EXPECT_NE(notice.find("sndmm"), std::string::npos);  // says which line to delete
            EXPECT_FALSE(secretMatches(" pw", storedSecret(s, "sndmm")));
        }
    }
}

TEST(StoredSecrets, AnAccessCodeNobodyCanTypeIsNamedAtTheStartAndByTheCheck)
{
    DrawFolder dir(10, {{"一等奖", 1, 1, "1"}}, "onerun=0\r\nsndmm=IHB3\r\n");
    Program run(dir);
    EXPECT_TRUE(mentions(run.shown, "特殊功能设定的进入密码无法输入")) << texts(run.shown);
    EXPECT_TRUE(mentions(run.shown, "sndmm=开头的一行"));
    const CheckReport report = checkEventFolder(dir.path());
    bool named = false;
    for (const auto &f : report.findings)
        named = named || (f.text.find("sndmm") != std::string::npos && f.level == CheckFinding::Level::Warning);
    EXPECT_TRUE(named);
    EXPECT_FALSE(report.blocking());
}

TEST(HotKeys, OnlyCtrlOrAltWithALetterOrDigitThatNothingElseUses)
{
    constexpr int shift = 8192, ctrl = 16384, alt = 32768;
    struct Case {
        int code, other;
        HotKeyFault fault;
    };
    const Case cases[] = {
        {ctrl + alt + 'U', -1, HotKeyFault::None},
        {ctrl + '7', -1, HotKeyFault::None},
        {alt + shift + 'K', -1, HotKeyFault::None},
        {'U', -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},
        {shift + 'U', -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},
        {13, -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},          // Enter
        {27, -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},          // Esc
        {ctrl + 119, -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},  // Ctrl+F8
        {0, -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},
        {-5, -1, HotKeyFault::NotCtrlOrAltLetterOrDigit},
        {ctrl + alt + 'N', ctrl + alt + 'N', HotKeyFault::SameAsOther},
        {ctrl + 'A', -1, HotKeyFault::SameAsStartKey},  // the start key is A here
        {alt + 0x73, -1, HotKeyFault::TakenByDesktop},  // Alt+F4
        {alt + shift + 0x09, -1, HotKeyFault::TakenByDesktop},  // Alt+Shift+Tab
        {ctrl + alt + 0x70, -1, HotKeyFault::TakenByDesktop},   // Ctrl+Alt+F1
        {ctrl + alt + 0x7B, -1, HotKeyFault::TakenByDesktop},   // Ctrl+Alt+F12
        {ctrl + alt + 0x08, -1, HotKeyFault::TakenByDesktop},   // Ctrl+Alt+Backspace
        {ctrl + alt + 0x2E, -1, HotKeyFault::TakenByDesktop},   // Ctrl+Alt+Delete
    };
    for (const auto &c : cases)
        EXPECT_EQ(checkHotKey(c.code, c.other, 'A'), c.fault) << c.code;
}

TEST(HotKeys, AStoredKeyThatBreaksTheRuleIsOffAndNamedAtTheStart)
{
    struct Case {
        std::string lines;
        int sndfo, sndst;
        std::string named;  // empty when nothing is named
    };
    const Case cases[] = {
        {"", kDefaultOpenKey, kDefaultEnableKey, ""},
        {"sndst=78\r\n", kDefaultOpenKey, 0, "sndst=78"},
        {"sndfo=13\r\n", 0, kDefaultEnableKey, "sndfo=13"},
        {"sndfo=49230\r\n", 49230, 0, "sndst=49230"},  // both the same: the enabling key goes
        {"sndfo=x\r\n", kDefaultOpenKey, kDefaultEnableKey, ""},  // no number: the default, as before
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines);
        TempProgramDir dir;
        const IniStore s = optionStore(dir, c.lines);
        int sndfo = -1, sndst = -1;
        readHotKeys(s, sndfo, sndst);
        EXPECT_EQ(sndfo, c.sndfo);
        EXPECT_EQ(sndst, c.sndst);
        const auto problems = storedHotKeyProblems(s);
        EXPECT_EQ(problems.size(), c.named.empty() ? 0u : 1u);
        if (!c.named.empty()) {
            ASSERT_FALSE(problems.empty());
            EXPECT_EQ(problems[0].rfind(c.named, 0), 0u);
            EXPECT_NE(unreadableSpecialLines(dir.path(), s, false).find(c.named), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tessaly
