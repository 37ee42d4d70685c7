// Check-in codes and the check-in file: codes that survive list saves, lines
// that survive a torn append, and answers given only once a check-in is on disk.
#include "TempProgramDir.h"
#include "core/checkin/CheckInCodes.h"
#include "core/checkin/CheckInLog.h"
#include "core/checkin/CheckInStore.h"
#include "core/checkin/WebSettings.h"
#include "core/files/FileIo.h"
#include "core/settings/Settings.h"

#include <gtest/gtest.h>

#include <set>

using namespace tessaly;
using tessaly::test::TempProgramDir;

namespace {

std::string fileText(const std::filesystem::path &path)
{
    auto text = readFile(path);
    return text ? *text : std::string();
}

CheckInLine inLine(const std::string &code, const std::string &device)
{
    return {CheckInLine::Action::CheckIn, code, device, 1765300000};
}

}  // namespace

TEST(CheckInCodes, EveryEntryGetsItsOwnCodeAndKeepsItAcrossListSaves)
{
    TempProgramDir dir;
    const std::vector<std::string> list{"张伟", "李娜", "张伟", ""};
    CheckInCodes codes;
    ASSERT_TRUE(codes.cover(list));
    ASSERT_TRUE(codes.save(dir.path()));
    std::set<std::string> seen;
    for (const EntryKey &key : entryKeysOf(list)) {
        const std::string code = codes.codeOf(key);
        EXPECT_EQ(code.size(), kCodeLength);
        EXPECT_EQ(code.find_first_not_of(kCodeAlphabet), std::string::npos);
        EXPECT_TRUE(seen.insert(code).second) << "two entries share " << code;
    }
    EXPECT_EQ(codes.token().size(), 24u);

    // The list saved again in another order, one person added: the first two
    // 张伟 keep their codes by occurrence, nobody's code changes.
    auto loaded = CheckInCodes::load(dir.path());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->token(), codes.token());
    EXPECT_FALSE(loaded->cover({"李娜", "张伟", "", "张伟"}));
    EXPECT_TRUE(loaded->cover({"李娜", "张伟", "王芳", "张伟"}));
    for (const EntryKey &key : entryKeysOf(list))
        EXPECT_EQ(loaded->codeOf(key), codes.codeOf(key));
    const std::string code = codes.codeOf({"张伟", 2});
    ASSERT_NE(loaded->findCode(code), nullptr);
    EXPECT_EQ(*loaded->findCode(code), (EntryKey{"张伟", 2}));
    EXPECT_EQ(loaded->findCode("ZZZZZZZZ"), nullptr);
}

TEST(CheckInCodes, DamagedLinesAreSkippedAndCounted)
{
    const std::string text = "token|ABCDEFGHJKMNPQRSTUVW\r\nhall|ABCDEFGHJKMNPQRSTUVW\r\n"
                             "ABCDEFGH|1|张伟\r\n"
                             "ABCDEFGH|1|李娜\r\n"     // code given twice
                             "ABCDEFG|1|王芳\r\n"      // too short
                             "ABCDEFGO|1|王芳\r\n"     // O is no sign of the alphabet
                             "BCDEFGHJ|x|王芳\r\n"     // occurrence not a number
                             "BCDEFGHJ|0|王芳\r\n"     // occurrence from 1
                             "BCDEFGHK|1|a|b\r\n";     // a text may hold "|"
    const CheckInCodes codes = CheckInCodes::parse(text);
    EXPECT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes.damagedLines(), 5);
    EXPECT_EQ(codes.codeOf({"a|b", 1}), "BCDEFGHK");
    EXPECT_EQ(CheckInCodes::parse(codes.format()).format(), codes.format());
}

TEST(CheckInCodes, TypedCodesAreNormalised)
{
    const struct {
        const char *typed, *code;
    } cases[] = {
        {"abcd efgh", "ABCDEFGH"}, {"ABCD-EFGH", "ABCDEFGH"}, {"ABCDEFG", ""},  {"ABCDEFGHJ", ""},
        {"ABCDEFG0", ""},          {"", ""},                  {"<script>", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(normaliseCode(c.typed), c.code) << c.typed;
}

TEST(CheckInCodes, HallCodeChangesEveryMinuteAndTakesThePreviousOne)
{
    const std::string secret = "ABCDEFGHJKMNPQRSTUVWXYZ2";
    const std::int64_t t = 1765300000;
    const std::string now = hallCodeAt(secret, t / 60);
    EXPECT_EQ(now.size(), 4u);
    EXPECT_TRUE(hallCodeMatches(secret, t, now));
    EXPECT_TRUE(hallCodeMatches(secret, t + 60, now));  // typed just before the change
    EXPECT_FALSE(hallCodeMatches(secret, t + 120, now) && hallCodeAt(secret, t / 60 + 2) != now);
    EXPECT_NE(hallCodeAt("another secret of the same..", t / 60), now);
}

TEST(CheckInLog, TornAndDamagedLinesAreDropped)
{
    const std::string a = formatCheckInLine(inLine("ABCDEFGH", "phone-0001"));
    const std::string b = formatCheckInLine(inLine("BCDEFGHJ", "phone-0002"));
    std::string flipped = b;
    flipped[2] = 'X';  // a changed byte breaks the checksum
    const struct {
        std::string text;
        size_t lines;
        int damaged;
        bool torn;
    } cases[] = {
        {a + b, 2, 0, false},
        {a + b.substr(0, b.size() - 2), 1, 0, true},  // the append stopped before its line end
        {a + flipped + b, 2, 1, false},
        {a + "\r\n" + b, 2, 0, false},
        {"garbage|in|x|1|00000000\r\n" + a, 1, 1, false},
        {"", 0, 0, false},
    };
    for (const auto &c : cases) {
        const CheckInReadout r = readCheckInLines(c.text);
        EXPECT_EQ(r.lines.size(), c.lines) << c.text;
        EXPECT_EQ(r.damaged, c.damaged) << c.text;
        EXPECT_EQ(r.tornTail, c.torn) << c.text;
    }
}

TEST(CheckInLog, ReplayChecksInOnceAndKeepsOnePersonPerPhone)
{
    CheckInState state;
    EXPECT_TRUE(state.apply(inLine("ABCDEFGH", "phone-0001")));
    EXPECT_FALSE(state.apply(inLine("ABCDEFGH", "phone-0001")));  // the same again
    EXPECT_FALSE(state.apply(inLine("BCDEFGHJ", "phone-0001")));  // the phone already checked in someone
    EXPECT_TRUE(state.apply(inLine("BCDEFGHJ", kConsoleDevice)));   // the operator checks in anyone
    EXPECT_TRUE(state.apply({CheckInLine::Action::Undo, "ABCDEFGH", kConsoleDevice, 1}));
    EXPECT_TRUE(state.apply(inLine("CDEFGHJK", "phone-0001")));     // the undo freed the phone
    EXPECT_EQ(state.byCode.size(), 2u);
}

TEST(CheckInStore, AnswersAfterTheAppendAndGroupsWhatArrivesTogether)
{
    TempProgramDir dir;
    constexpr int kPhones = 200;
    {
        auto store = CheckInStore::open(dir.path());
        ASSERT_TRUE(store);
        std::mutex m;
        std::condition_variable cv;
        int answered = 0, checkedIn = 0;
        for (int i = 0; i < kPhones; ++i) {
            char code[9];
            std::snprintf(code, sizeof code, "A%07d", i);
            std::string c(code);
            for (char &ch : c)
                ch = ch == '0' ? 'Z' : ch == '1' ? 'Y' : ch;
            (*store)->submit(inLine(c, "phone-" + std::to_string(1000 + i)), [&](CheckInStore::Answer a) {
                std::lock_guard lock(m);
                ++answered;
                checkedIn += a == CheckInStore::Answer::CheckedIn;
                cv.notify_one();
            });
        }
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return answered == kPhones; });
        EXPECT_EQ(checkedIn, kPhones);
        EXPECT_LT((*store)->appends(), kPhones / 2);
        EXPECT_EQ(readCheckInLines(fileText(dir / kCheckInFile)).lines.size(), size_t(kPhones));
    }
    auto again = CheckInStore::open(dir.path());
    ASSERT_TRUE(again);
    EXPECT_EQ((*again)->checkedInCount(), size_t(kPhones));
}

TEST(CheckInStore, ATornLastLineIsCutBeforeTheNextAppend)
{
    TempProgramDir dir;
    const std::string whole = formatCheckInLine(inLine("ABCDEFGH", "phone-0001"));
    const std::string torn = formatCheckInLine(inLine("BCDEFGHJ", "phone-0002")).substr(0, 20);
    dir.write(kCheckInFile, whole + torn);
    {
        auto store = CheckInStore::open(dir.path());
        ASSERT_TRUE(store);
        EXPECT_TRUE((*store)->readout().tornTail);
        EXPECT_EQ((*store)->checkedInCount(), 1u);
        // The torn check-in was never answered: the phone asks again and gets in.
        EXPECT_EQ((*store)->submitAndWait(inLine("BCDEFGHJ", "phone-0002")), CheckInStore::Answer::CheckedIn);
        EXPECT_EQ((*store)->submitAndWait(inLine("BCDEFGHJ", "phone-0002")), CheckInStore::Answer::AlreadyIn);
        EXPECT_EQ((*store)->submitAndWait(inLine("CDEFGHJK", "phone-0002")), CheckInStore::Answer::DeviceUsed);
        ASSERT_EQ((*store)->refusedDevices().size(), 1u);
        EXPECT_EQ((*store)->refusedDevices()[0].device, "phone-0002");
    }
    const CheckInReadout r = readCheckInLines(fileText(dir / kCheckInFile));
    EXPECT_FALSE(r.tornTail);
    EXPECT_EQ(r.damaged, 0);
    EXPECT_EQ(r.lines.size(), 2u);
}

TEST(CheckInStore, AFailedAppendAnswersFailedAndChangesNothing)
{
    TempProgramDir dir;
    dir.write(kCheckInFile, "");
    auto store = CheckInStore::open(dir.path());
    ASSERT_TRUE(store);
    // A folder in the file's place: every append fails, for root too.
    std::filesystem::remove(dir / kCheckInFile);
    std::filesystem::create_directory(dir / kCheckInFile);
    EXPECT_EQ((*store)->submitAndWait(inLine("ABCDEFGH", "phone-0001")), CheckInStore::Answer::WriteFailed);
    EXPECT_FALSE((*store)->checkedIn("ABCDEFGH"));
}

TEST(WebSettings, ReadWithDefaultsAndListenAddressesChecked)
{
    TempProgramDir dir;
    dir.write("set.dat", "[Web]\r\nenabled=1\r\naddress=192.168.1.20\r\nport=99999\r\nhallcode=0\r\n");
    auto settings = openSettings(dir.path());
    ASSERT_TRUE(settings);
    const WebSettings web = readWebSettings(*settings);
    EXPECT_TRUE(web.enabled);
    EXPECT_EQ(web.address, "192.168.1.20");
    EXPECT_EQ(web.port, 65535);  // out of range: brought to the highest port
    EXPECT_FALSE(web.onlyCheckedIn);
    EXPECT_FALSE(web.hallCode);

    const struct {
        const char *text;
        bool ok;
    } cases[] = {{"127.0.0.1:8080", true}, {"0.0.0.0:80", false}, {"127.0.0.1:0", false},  {"127.0.0.1:", false},
                 {"localhost:80", false},  {"1.2.3.4:65536", false}, {"10.0.0.1:8a", false}, {"10.0.0.1", false}};
    for (const auto &c : cases)
        EXPECT_EQ(parseListenAddress(c.text).has_value(), c.ok) << c.text;
}
