// A saved draw that refers past the end of the list (the list was replaced
// while a stage kept drawing) is refused at start-up and by the check, by one
// rule; a restart then starts clean.
#include "DrawFixtures.h"

#include "core/draw/DrawRecord.h"
#include "core/event/PreEventCheck.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using test::DrawFolder;
using test::G;
using test::Program;

std::string numberedLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + "\r\n";
    return text;
}

struct FitCase {
    const char *what;
    std::string marks, order;
    int cursor;
    bool fits;
};

const std::vector<FitCase> &fitCases()
{
    static const std::vector<FitCase> cases = {
        {"marks and order of the list", "0\r\n|ISOK|\r\n", "0\r\n", 0, true},
        {"nothing saved yet", "", "", 0, true},
        {"marks of a shorter list", "|ISOK|\r\n", "1\r\n", 0, true},
        {"marks of a 360-entry list", numberedLines(360), "", -1, false},
        {"a mark naming an entry past the end", "0\r\n5\r\n", "", -1, false},
        {"a damaged order with marks that fit", "0\r\n1\r\n", "1\r\n7\r\n", 1, true},
        {"a position past the end", "0\r\n1\r\n", "0\r\n1\r\n", 10, false},
    };
    return cases;
}

TEST(SavedStateFit, MarksOrPositionPastTheEndOfTheListDoNotFit)
{
    for (const auto &c : fitCases()) {
        DrawPosition position;
        position.OrderCursor = c.cursor;
        const SavedStateFit fit = savedStateFits(2, c.marks, c.order, position);
        EXPECT_EQ(fit.fits(), c.fits) << c.what;
        EXPECT_EQ(fit.orderBadLine != 0, c.order.find('7') != std::string::npos) << c.what;
    }
}

// The start-up restore and the check agree on every case: a refused restore
// shows no winner, draws nothing and asks about a restart; the check blocks.
TEST(SavedStateFit, TheRestoreAndTheCheckRefuseTheSameSavedDraws)
{
    for (const auto &c : fitCases()) {
        DrawFolder dir(2, {{"一等奖", 2, 1, "2"}}, "onerun=0\r\ncurrentnowgotodata=" + std::to_string(c.cursor) + "\r\n");
        dir.write("colip.jpg", c.marks);
        dir.write("tmda.jpg", c.order);
        // Winners recorded by a stage that still drew from a longer list.
        std::string record;
        for (int i = 0; i < 25; ++i)
            record += "0|W" + std::to_string(i) + "|W" + std::to_string(i) + "\r\n";
        dir.write("ARecord.dat", c.fits ? std::string() : record + "\r\n");

        Program program(dir);
        const bool asked = program.shown.question &&
                           program.shown.question->kind == QuestionKind::RestartAfterRefusedRestore;
        EXPECT_EQ(asked, !c.fits) << c.what;
        const CheckReport report = checkEventFolder(dir.path());
        bool blocked = false;
        for (const auto &f : report.findings)
            blocked = blocked || (f.level == CheckFinding::Level::Blocking && f.text.find(G("超出了名单")) != std::string::npos);
        EXPECT_EQ(blocked, !c.fits) << c.what;
        if (c.fits)
            continue;
        EXPECT_NE(program.shown.question->text.find(G("重新开始抽奖")), std::string::npos);
        EXPECT_TRUE(program.session.AwardWinnerNames()[0].empty()) << c.what;  // never shown as winners
        const DrawOutcome start = program.session.FormKeyUp(test::kSpace);
        EXPECT_FALSE(program.session.flags().BatchReady) << c.what;
        EXPECT_TRUE(test::mentions(start, "现在不能抽奖")) << c.what;

        // No: nothing is touched. Yes: the draw starts again from the list.
        program.session.answerRefusedRestore(false);
        EXPECT_EQ(dir.read("ARecord.dat"), record + "\r\n");
        program.session.answerRefusedRestore(true);
        EXPECT_EQ(dir.read("ARecord.dat"), "");
        EXPECT_TRUE(savedStateFits(2, dir.read("colip.jpg"), dir.read("tmda.jpg"), readDrawPosition(*IniStore::open(dir / "set.dat"))).fits());
        program.batch();
        EXPECT_EQ(program.session.AwardWinnerNames()[0].size(), 2u) << c.what;
    }
}

}  // namespace
}  // namespace tessaly
