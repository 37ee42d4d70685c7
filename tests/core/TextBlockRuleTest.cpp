// The text block composes its lines as the stage lays it out, also when the
// stage was arranged anew during a roll (a borrowed screen, a resized window).
#include "DrawFixtures.h"

#include "core/stage/SlotLayout.h"
#include "core/text/Lines.h"

#include <gtest/gtest.h>

namespace tessaly::test {

TEST(TextBlock, TheLinesFollowTheLayoutTheStageShowsThemIn)
{
    struct Case {
        int row;
        bool blankLine;
        size_t lines;  // lines of the block, blank ones included
    } cases[] = {{4, false, 8}, {6, false, 5}, {5, true, 11}};
    for (const Case &c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        DrawFolder dir(100, {{"奖", 30, 1, "30"}}, "canready=0\r\n");
        Program run(dir);
        run.session.FormKeyUp(kSpace);
        ASSERT_TRUE(run.session.flags().Rolling);
        SlotBlockLayout layout;
        layout.row = c.row;
        layout.space = 2;
        layout.blankLine = c.blankLine;
        run.session.useTextBlockLayout(layout);
        ASSERT_TRUE(run.session.Timer2Timer());
        std::string text = run.session.GridText();
        size_t lines = 1;
        for (char ch : text)
            lines += ch == '\r' ? 1 : 0;
        EXPECT_EQ(lines, c.lines);
    }
}

}  // namespace tessaly::test
