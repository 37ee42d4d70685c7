// A whole draw checked from its proof: every order, stop and correction is
// recomputed from the revealed seeds, and each kind of tampering is named.
#include "DrawFixtures.h"

#include "core/draw/DrawRecord.h"
#include "core/event/EventFolder.h"
#include "core/files/FileIo.h"
#include "core/proof/AuditLog.h"
#include "core/proof/DrawProof.h"
#include "core/proof/ProofVerify.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

namespace tessaly {
namespace {
using test::DrawFolder;
using test::G;
using test::Program;

VerifyResult verifyFolder(const DrawFolder &dir)
{
    auto files = readProofFolder(dir.path());
    EXPECT_TRUE(files.ok());
    return files ? verifyProof(*files) : VerifyResult{};
}

void writeAuditLines(const DrawFolder &dir, const std::vector<std::string> &lines)
{
    dir.write("audit.log", joinLines(lines));
}

// Three awards drawn with every correction: a give-up back into the pool, a
// supplement, a program killed between the writes of a stop and started
// again, a "重新开始", a jump to an award and a give-up that stays out.
void runWholeEvent(DrawFolder &dir, bool photo)
{
    auto program = std::make_unique<Program>(dir);
    auto start = [&] {
        if (photo) {
            // The switch makes the list from the photo folder's file names: the same forty people.
            for (int i = 0; i < 40; ++i)
                dir.write("photo/P" + std::to_string(i) + ".jpg", "only the name is read here");
            program->session.switchPhotoMode(true);
            program->session.setPhotosLoaded(true);
        }
    };
    start();
    program->batch();                              // 三等奖, its only batch
    program->session.GiveUp(2, 0, true);          // the first winner gives up and goes back
    program->session.Supplement(G("三等奖"), "1", "");
    program->batch();                              // the supplement
    program->batch();                              // 二等奖, batch 1 of 2
    program->session.setCommitInterrupt([](CommitStep at) { return at == CommitStep::Audit; });
    program->batch();                              // 二等奖, batch 2: killed after the records
    program = std::make_unique<Program>(dir);      // the start finishes that stop
    if (photo)
        program->session.setPhotosLoaded(true);
    program->batch();                              // 一等奖
    program->session.Restart();
    if (photo)
        program->session.setPhotosLoaded(true);
    program->batch();
    program->session.RedrawOne(2, 0);              // the first winner is absent: one is drawn again
    program->session.Timer1Timer();
    program->session.StopButtonClick();
    program->session.StartFromAward(0);
    program->batch();
    program->session.GiveUp(0, 0, false);
}

TEST(VerifiableDraw, AWholeEventWithEveryCorrectionIsRecomputedExactly)
{
    for (bool photo : {false, true}) {
        SCOPED_TRACE(photo ? "photo mode" : "text mode");
        DrawFolder dir(40, {{"一等奖", 1, 1, "1"}, {"二等奖", 4, 2, "2+2"}, {"三等奖", 3, 1, "3"}});
        runWholeEvent(dir, photo);
        const VerifyResult result = verifyFolder(dir);
        EXPECT_EQ(result.firstDifference, "") << gbkToUtf8(result.report);
        // Nobody typed a number, and there were a restart, a jump and give-ups.
        EXPECT_EQ(result.outcome, VerifyOutcome::Touched);
        ASSERT_EQ(result.commitments.size(), photo ? 3u : 2u);  // photo mode switched: one more start
        EXPECT_NE(result.report.find(G("从某奖项开始抽")), std::string::npos) << gbkToUtf8(result.report);
        EXPECT_NE(result.report.find(G("有弃奖")), std::string::npos) << gbkToUtf8(result.report);
        // After the restart: the three of 三等奖 (one of them re-drawn) and the one of 一等奖, who gave up.
        const auto records = splitLines(dir.read("ARecord.dat"));
        EXPECT_EQ(std::count_if(records.begin(), records.end(), [](const std::string &l) { return !l.empty(); }), 3)
            << dir.read("ARecord.dat");
        EXPECT_NE(result.report.find(G("重新开始过抽奖")), std::string::npos) << gbkToUtf8(result.report);
        EXPECT_NE(result.report.find(G("有重抽")), std::string::npos) << gbkToUtf8(result.report);
    }
}

TEST(VerifiableDraw, EveryTamperingIsNamed)
{
    DrawFolder dir(30, {{"一等奖", 2, 1, "2"}, {"二等奖", 4, 2, "2+2"}});
    {
        Program run(dir);
        run.batch();
        run.batch();
        run.batch();
    }
    ASSERT_EQ(verifyFolder(dir).firstDifference, "") << gbkToUtf8(verifyFolder(dir).report);
    const std::string audit = dir.read("audit.log"), record = dir.read("ARecord.dat"), list = dir.read("data.txt"),
                      seeds = dir.read("proof/seed.txt"), inputs = dir.read("proof/inputs-1.txt");
    const auto lines = splitLines(audit);
    ASSERT_GE(lines.size(), 6u);

    struct Case {
        const char *what;
        std::function<void()> tamper;
        const char *named;  // UTF-8, part of the first difference
    };
    const std::vector<Case> cases = {
        {"a record changed",
         [&] {
             std::string r = record;
             r.replace(r.find("|P", r.find("|P") + 1), 2, "|Q");
             dir.write("ARecord.dat", r);
         },
         "中奖记录ARecord.dat第1条"},
        {"a record added", [&] { dir.write("ARecord.dat", record + "0|P9|P9\r\n\r\n"); }, "没有对应的抽奖"},
        {"a line of audit.log removed",
         [&] {
             auto l = lines;
             l.erase(l.begin() + 2);
             writeAuditLines(dir, l);
         },
         "audit.log第3行"},
        {"two lines of audit.log swapped",
         [&] {
             auto l = lines;
             std::swap(l[2], l[3]);
             writeAuditLines(dir, l);
         },
         "audit.log第3行"},
        {"the log cut after a stop",
         [&] {
             auto l = lines;
             l.resize(l.size() - 1);
             writeAuditLines(dir, l);
         },
         "没有对应的抽奖"},
        {"a different seed",
         [&] {
             dir.write("proof/seed.txt", "1|" + toHex(*osRandomBytes(32)) + "\r\n");
         },
         "与揭示的种子不符"},
        {"the list edited after the commitment",
         [&] {
             std::string l = list;
             l.replace(l.find("P5\r\n"), 4, "P55\r\n");
             dir.write("data.txt", l);
         },
         "data.txt在最后一次承诺之后被改动"},
        {"the committed inputs edited", [&] { dir.write("proof/inputs-1.txt", inputs + " "); }, "抽奖依据文件"},
    };
    for (const auto &c : cases) {
        c.tamper();
        const VerifyResult result = verifyFolder(dir);
        EXPECT_EQ(result.outcome, VerifyOutcome::Mismatch) << c.what;
        EXPECT_NE(result.firstDifference.find(G(c.named)), std::string::npos)
            << c.what << ": " << gbkToUtf8(result.firstDifference);
        dir.write("audit.log", audit);
        dir.write("ARecord.dat", record);
        dir.write("data.txt", list);
        dir.write("proof/seed.txt", seeds);
        dir.write("proof/inputs-1.txt", inputs);
    }
}

TEST(VerifiableDraw, TheRevealEndsTheDrawAndTheBundleVerifiesElsewhere)
{
    DrawFolder dir(20, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}});
    {
        Program run(dir);
        run.batch();
    }
    EXPECT_EQ(writeProofBundle(dir.path(), dir / "early.zip").code(), ErrorCode::BadInput);
    EXPECT_FALSE(dir.exists("early.zip"));
    ASSERT_TRUE(revealSeeds(dir.path()).ok());
    EXPECT_EQ(revealSeeds(dir.path()).code(), ErrorCode::BadInput);  // once

    Program after(dir);
    const DrawOutcome refused = after.session.PrepareBatch();
    EXPECT_TRUE(test::mentions(refused, "抽奖已经结束"));
    EXPECT_FALSE(after.session.flags().BatchReady);

    ASSERT_TRUE(writeProofBundle(dir.path(), dir / "proof.zip").ok());
    auto bundle = readProofBundle(dir.read("proof.zip"));
    ASSERT_TRUE(bundle.ok());
    EXPECT_FALSE(bundle->count("proof/seed.txt"));  // the seeds travel in the reveal line only
    const VerifyResult result = verifyProof(*bundle);
    EXPECT_EQ(result.firstDifference, "") << gbkToUtf8(result.report);
    EXPECT_TRUE(result.revealed);
    EXPECT_EQ(result.outcome, VerifyOutcome::Touched);

    // A restart draws again under a new commitment.
    after.session.Restart();
    EXPECT_TRUE(after.session.flags().BatchReady);
    EXPECT_FALSE(after.session.proof().revealed());
}

TEST(VerifiableDraw, EveryResetKeepsItsSeedAndARehearsalHasNoneOfThem)
{
    DrawFolder dir(10, {{"一等奖", 2, 1, "2"}});
    {
        Program run(dir);
        run.session.ResetDraw(false);
        run.session.Restart();
        EXPECT_EQ(run.session.proof().number(), 3);
        EXPECT_FALSE(run.session.captions().proofCode.empty());
    }
    EXPECT_EQ(parseSeedFile(dir.read("proof/seed.txt")).size(), 3u);
    const auto perms = std::filesystem::status(dir / "proof/seed.txt").permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);

    auto copy = makeRehearsalCopy(dir.path());
    ASSERT_TRUE(copy.ok());
    EXPECT_FALSE(std::filesystem::exists(*copy / "proof"));
    EXPECT_FALSE(std::filesystem::exists(*copy / "audit.log"));
    {
        test::FixedClock clock;
        MtRandom random(1);
        DrawSession rehearsal(*copy, random, clock);
        rehearsal.FormCreate(false);
        rehearsal.FormShow("1024*768");
        EXPECT_TRUE(rehearsal.proof().committed());
    }
    const auto own = parseSeedFile(readFile(*copy / "proof/seed.txt").value());
    for (const auto &[n, seed] : parseSeedFile(dir.read("proof/seed.txt")))
        for (const auto &[m, other] : own)
            EXPECT_NE(seed, other);
    removeRehearsalCopy(*copy);
}

// Rewrites audit.log with every hash recomputed, as a forger holding the file would.
void rechain(const DrawFolder &dir, const std::function<void(std::string &)> &edit)
{
    AuditChain chain;
    std::string text;
    for (const auto &line : splitLines(dir.read("audit.log"))) {
        std::string rest = line.substr(line.find('|', line.find('|') + 1) + 1);  // kind and fields
        edit(rest);
        const size_t bar = rest.find('|');
        AuditFields fields;
        for (size_t pos = bar; pos != std::string::npos;) {
            const size_t next = rest.find('|', pos + 1);
            const std::string field = rest.substr(pos + 1, next == std::string::npos ? next : next - pos - 1);
            fields.emplace_back(field.substr(0, field.find('=')), field.substr(field.find('=') + 1));
            pos = next;
        }
        text += chain.append(rest.substr(0, bar), fields);
    }
    dir.write("audit.log", text);
}

TEST(VerifiableDraw, GuestsNumbersDecideTheOrderAndTheirChangeIsCaught)
{
    DrawFolder dir(30, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}});
    {
        Program run(dir);
        for (int award = 0; award < 2; ++award) {
            if (!run.session.flags().BatchReady)
                run.session.PrepareBatch();
            run.session.openGuestStep();
            ASSERT_TRUE(run.session.guestStep().open);
            EXPECT_TRUE(test::mentions(run.session.addGuestNumber("12a"), "请输入1到18位数字"));
            run.session.addGuestNumber("4711");
            run.session.addGuestNumber(" 0815 ");
            EXPECT_EQ(run.session.captions().guestNumbers, "4711   0815");
            run.batch();
            EXPECT_FALSE(run.session.guestStep().open);
        }
    }
    VerifyResult result = verifyFolder(dir);
    EXPECT_EQ(result.outcome, VerifyOutcome::Pure) << gbkToUtf8(result.report);
    EXPECT_NE(dir.read("log.txt").find(G("来宾数字2：0815")), std::string::npos);

    // A forger who changes a guest's number and mends the chain is still caught.
    const std::string audit = dir.read("audit.log");
    rechain(dir, [](std::string &line) {
        if (line.starts_with("guest|") && line.find("number=4711") != std::string::npos)
            line.replace(line.find("number=4711"), 11, "number=4712");
    });
    result = verifyFolder(dir);
    EXPECT_EQ(result.outcome, VerifyOutcome::Mismatch);
    EXPECT_NE(result.firstDifference.find(G("来宾数字")), std::string::npos) << gbkToUtf8(result.firstDifference);
    rechain(dir, [](std::string &line) {
        for (const char *from : {"number=4711", "guests=4711"})
            if (size_t at = line.find(from); at != std::string::npos)
                line.replace(at + std::string(from).size() - 1, 1, "2");
    });
    result = verifyFolder(dir);
    EXPECT_EQ(result.outcome, VerifyOutcome::Mismatch);
    EXPECT_NE(result.firstDifference.find(G("抽奖顺序与按种子重算的不同")), std::string::npos)
        << gbkToUtf8(result.firstDifference);
    dir.write("audit.log", audit);
}

TEST(VerifiableDraw, APoolChangedWhileGuestsTypeMakesTheAwardForeseeable)
{
    DrawFolder dir(30, {{"一等奖", 2, 1, "2"}, {"二等奖", 3, 1, "3"}});
    {
        Program run(dir);
        run.batch();  // 二等奖 without guests
        run.session.PrepareBatch();
        run.session.openGuestStep();
        run.session.addGuestNumber("99");
        run.session.GiveUp(1, 0, true);  // someone returns to the pool while the guests type
        run.batch();
    }
    const VerifyResult result = verifyFolder(dir);
    EXPECT_EQ(result.outcome, VerifyOutcome::Touched) << gbkToUtf8(result.report);
    EXPECT_NE(result.report.find(G("来宾输入数字期间奖池或规则有改动")), std::string::npos) << gbkToUtf8(result.report);
}

// Random events: any mix of stops, give-ups, supplements, jumps, restarts of
// the draw and of the program must recompute to exactly the recorded winners.
// A thousand events in four parts, so the parts run side by side.
class RandomEvents : public ::testing::TestWithParam<int> {};

TEST_P(RandomEvents, RecomputeExactly)
{
    for (int event = GetParam() * 250; event < (GetParam() + 1) * 250; ++event) {
        std::mt19937 rng(static_cast<unsigned>(event));
        auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const int entries = 3 + pick(25);
        std::vector<test::AwardRow> awards;
        const int awardCount = 1 + pick(3);
        for (int a = 0; a < awardCount; ++a) {
            const int batches = 1 + pick(2);
            const int size = 1 + pick(3);
            awards.push_back({"A" + std::to_string(a), size * batches, batches,
                              batches == 1 ? std::to_string(size) : std::to_string(size) + "+" + std::to_string(size)});
        }
        DrawFolder dir(entries, awards,
                       std::string("scrolldown=") + (pick(2) ? "1" : "0") +
                           "\r\ncanreAward=" + (pick(5) == 0 ? "1" : "0") + "\r\nntcanrandom=" +
                           (pick(2) ? "1" : "0") + "\r\n");
        auto program = std::make_unique<Program>(dir, static_cast<std::uint64_t>(event));
        const int steps = 3 + pick(8);
        for (int s = 0; s < steps; ++s) {
            const int op = pick(11);
            auto &session = program->session;
            if (op < 5) {
                program->batch();
            } else if (op == 5) {
                const int a = pick(awardCount);
                const int n = static_cast<int>(session.AwardWinnerNames()[static_cast<size_t>(a)].size());
                if (n > 0)
                    session.GiveUp(a, pick(n), pick(2) == 0);
            } else if (op == 6) {
                session.Supplement(G("A" + std::to_string(pick(awardCount))), "1", "");
            } else if (op == 7) {
                session.StartFromAward(pick(awardCount));
            } else if (op == 8) {
                program = std::make_unique<Program>(dir, static_cast<std::uint64_t>(event + s));
            } else if (op == 9) {
                session.Restart();
            } else {
                const int a = session.state().CurrentAward;
                const int n = a >= 0 ? static_cast<int>(session.AwardWinnerNames()[static_cast<size_t>(a)].size()) : 0;
                if (n > 0)
                    session.RedrawOne(a, pick(n));
                if (session.flags().Rolling) {  // the re-draw rolls one tick and stops
                    session.Timer1Timer();
                    session.StopButtonClick();
                }
            }
        }
        const VerifyResult result = verifyFolder(dir);
        ASSERT_EQ(result.firstDifference, "") << "event " << event << "\n" << gbkToUtf8(result.report);
        ASSERT_NE(result.outcome, VerifyOutcome::Mismatch) << "event " << event;
    }
}

INSTANTIATE_TEST_SUITE_P(VerifiableDraw, RandomEvents, ::testing::Range(0, 4));

}  // namespace
}  // namespace tessaly
