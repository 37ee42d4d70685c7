#include "draw/SaveDebt.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessaly;

TEST(SaveDebt, WhatASaveDidNotWriteGoesWithTheNextAndOnlyThat)
{
    struct Case {
        const char *what;
        bool record, order, log, audit;
        bool owed;
    };
    const Case cases[] = {
        {"all written", true, true, true, true, false},
        {"records lost", false, true, true, true, true},
        {"order lost", true, false, true, true, true},
        {"history lost", true, true, false, true, false},
        {"audit lost", true, true, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SaveDebt debt;
        DrawCommit first;
        first.recordBlock = "R1\r\n";
        first.logBlock = "L1\r\n";
        first.auditBlock = "A1\r\n";
        first.clearRecord = true;
        CommitResult result;
        result.recordWritten = c.record;
        result.orderWritten = c.order;
        result.stateWritten = result.settingsWritten = true;
        result.logWritten = c.log;
        result.auditWritten = c.audit;
        debt.settle(first, result);
        EXPECT_EQ(debt.owed(), c.owed);

        DrawCommit next;
        next.recordBlock = "R2\r\n";
        next.logBlock = "L2\r\n";
        next.auditBlock = "A2\r\n";
        debt.carryInto(next);
        EXPECT_EQ(next.recordBlock, c.record ? "R2\r\n" : "R1\r\nR2\r\n");
        EXPECT_EQ(next.clearRecord, !c.record);  // a reset whose emptying failed is still owed
        EXPECT_EQ(next.logBlock, c.log ? "L2\r\n" : "L1\r\nL2\r\n");
        EXPECT_EQ(next.auditBlock, c.audit ? "A2\r\n" : "A1\r\nA2\r\n");
        EXPECT_EQ(debt.audit(), c.audit ? "" : "A1\r\n");
    }
}

TEST(SaveDebt, WithheldWinnersComeBackOnlyWhenReleased)
{
    for (StageAction show : {StageAction::ShowSlotTexts, StageAction::ShowGridText, StageAction::ShowPhotoWinners}) {
        SaveDebt debt;
        std::array<std::string, kSlotCount> slots{};
        slots[0] = "Wang";
        std::string grid = "Li";
        DrawOutcome stop;
        stop.actions = {StageAction::StopTimers, show};
        debt.withhold(stop, slots, grid);
        ASSERT_TRUE(debt.withheld());
        EXPECT_EQ(slots[0], "");
        EXPECT_EQ(grid, "");
        // Photo winners are drawn by the action itself; the slots stay empty without it.
        EXPECT_EQ(std::count(stop.actions.begin(), stop.actions.end(), StageAction::ShowPhotoWinners), 0);

        DrawOutcome retry;
        debt.release(retry, slots, grid);
        EXPECT_FALSE(debt.withheld());
        EXPECT_EQ(slots[0], "Wang");
        EXPECT_EQ(grid, "Li");
        EXPECT_EQ(retry.actions, (std::vector<StageAction>{show, StageAction::ComposeMarquee}));
        DrawOutcome again;
        debt.release(again, slots, grid);
        EXPECT_TRUE(again.actions.empty());
    }
}
