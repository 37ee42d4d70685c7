// What one operator action did, for the window to show: stage actions in the
// order they happened, notices, and at most one question whose answer the
// window passes to the matching follow-up call.
#pragma once

#include "Result.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// Work the window does for the draw; the captions and texts themselves are read
// from the session afterwards.
enum class StageAction {
    EndApplication,        // the installation is incomplete: nothing can be drawn
    ReadConfig,            // re-read the appearance of every element
    RebuildStartFromMenu,  // the award table was read: rebuild "从某奖项开始抽", all items enabled
    ClearSlots,            // empty and hide Label1 to Label21 (photo mode: remove the photo slots)
    StartTimer1,           // roll in the slots, every IntervalTime ms
    StartTimer2,           // roll in the text block
    StopTimers,
    StartPhotoRolling,     // build the photo slots for BatchSize and start the photo rolling
    StopPhotoRolling,
    ShowSlotTexts,         // Label1 to Label20 from SlotTexts
    ShowGridText,          // Label21 from GridText
    ShowPhotoWinners,      // the photo slots show the last batch's winners
    DisableStartFromItem,  // item "NC5Z" + BatchAward: the award has begun
    PlayStartSound,
    PlayStopSound,
    StartBackgroundMusic,
    ComposeMarquee,
    ShowResults,           // "展示中奖结果"
    ShowWinnersWindow,     // "显示中奖名单"
    LoadPhotos,
    ShowPhotoPrompt,
    AutoLayoutMain,
    ShowTips,
    OpenFile,              // open DrawOutcome::file with its associated program
    CheckSlotLayout,       // arrange the slots of BatchSize when the stored layout no longer fits
};

struct Notice {
    std::string title;  // GBK
    std::string text;   // GBK
    ErrorCode code = ErrorCode::None;
};

enum class QuestionKind {
    ShowResults,      // answer with DrawSession::answerShowResults
    CloseUnfinished,  // Yes closes the window
    AutoLayout,       // answer with DrawSession::answerAutoLayout
    RestoreTextList,  // answer with DrawSession::answerRestoreTextList
    RestartAfterRefusedRestore,  // answer with DrawSession::answerRefusedRestore
};

struct Question {
    QuestionKind kind;
    std::string title;  // GBK
    std::string text;   // GBK
    bool noIsDefault = false;
};

struct DrawOutcome {
    std::vector<StageAction> actions;
    std::vector<Notice> notices;
    std::optional<Question> question;
    std::filesystem::path file;  // for OpenFile
    bool closeAllowed = false;   // FormCloseQuery: close without asking

    bool has(StageAction action) const
    {
        return std::find(actions.begin(), actions.end(), action) != actions.end();
    }
};

}  // namespace tessaly
