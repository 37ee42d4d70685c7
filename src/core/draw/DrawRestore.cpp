// Reading the saved draw back at start-up: the winners from ARecord.dat, the
// marks from colip.jpg, the order from tmda.jpg and the position from set.dat,
// checked against each other and against the participant list. What does not
// fit is named to the operator; nobody drawn is left in play.
#include "draw/DrawSession.h"

#include "draw/DrawNotices.h"
#include "draw/DrawOrder.h"
#include "draw/DrawRecord.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"
#include "text/Lines.h"

#include <algorithm>

namespace tessaly {
using namespace session;

void DrawSession::RestoreDraw(DrawOutcome &out)
{
    auto readOrEmpty = [this, &out](const char *name, std::string &text) {
        auto data = readFile(programFile(m_dir, name));
        if (data) {
            text = std::move(*data);
            return true;
        }
        if (data.code() == ErrorCode::FileMissing)
            return true;  // not saved yet: an empty list
        notifyError(out, data.error());
        m_restoreFailure = data.error().message;
        return false;
    };
    std::string orderText, stateText, recordText;
    if (!readOrEmpty(files::kDrawOrder, orderText) || !readOrEmpty(files::kDrawnMarks, stateText) ||
        !readOrEmpty(files::kRecord, recordText))
        return;
    auto settings = openSettings(m_dir);
    if (!settings) {
        notifyError(out, settings.error());
        m_restoreFailure = settings.error().message;
        return;
    }
    m_captions.readyLuckVisible = m_options.readyLuckVisible;

    // What does not fit is named, what is sound is used, and no file is touched.
    std::vector<std::string> problems;
    const DrawPosition position = readDrawPosition(*settings);
    m_listSum = listFingerprint(m_lists.NameList);
    // Marks or a position past the end of the list belong to another list:
    // nothing of them is taken, and the draw waits for a restart.
    if (const SavedStateFit fit = savedStateFits(m_lists.size(), stateText, orderText, position); !fit.fits()) {
        m_restoreFailure = TSL_GBK("保存的抽奖进度与参选名单不符（名单可能在抽奖进行时被替换了）：");
        for (const auto &problem : fit.problems)
            m_restoreFailure += "\n" + problem;
        m_restoreRefused = true;
        return;
    }
    const bool listChanged = !position.listSum.empty() && position.listSum != m_listSum;
    if (listChanged) {
        const std::string before = position.listSum.substr(0, position.listSum.find('-'));
        problems.push_back(TSL_GBK("参选名单data.txt在上次保存抽奖结果以后已被改动（保存时") + before +
                           TSL_GBK("人，现在") + std::to_string(m_lists.size()) +
                           TSL_GBK("人）。已中奖的人员已按中奖记录ARecord.dat重新标记，不会再次中奖。"));
    }
    restoreWinners(recordText, stateText, orderText, listChanged, problems);
    restorePosition(position, orderText, listChanged, problems, out);
    readHallFiles(out);
    if (!problems.empty()) {
        std::string text = TSL_GBK("读取上次的抽奖记录时发现问题：");
        for (const auto &problem : problems)
            text += "\n" + problem;
        text += "\n" + TSL_GBK("这些文件都保持原样，直到下一次停止抽奖或重新开始抽奖时才会重新保存。");
        notify(out, text, ErrorCode::Inconsistent);
    }
}

void DrawSession::restoreWinners(const std::string &recordText, const std::string &stateText,
                                 const std::string &orderText, bool listChanged, std::vector<std::string> &problems)
{
    RecordReadout records = readRecordLines(recordText);
    if (!records.badLines.empty())
        problems.push_back(TSL_GBK("中奖记录文件ARecord.dat第") + lineNumbers(records.badLines) +
                           TSL_GBK("行的奖项序号不是0到49之间的数字，这些行没有读入中奖名单。"));
    if (!records.nulLines.empty())
        problems.push_back(TSL_GBK("中奖记录文件ARecord.dat第") + lineNumbers(records.nulLines) +
                           TSL_GBK("行含有空字符（文件已损坏），该行中其余的中奖记录和其后的记录都已读入。"));
    if (!records.cutLine.empty() && records.cutLine.find('\0') == std::string::npos)
        problems.push_back(TSL_GBK("中奖记录文件ARecord.dat的最后一行“") + records.cutLine +
                           TSL_GBK("”不完整（上次写入没有完成），没有读入中奖名单；下一次停止抽奖时会把它移到") +
                           kCutRecords + TSL_GBK("中保存。"));
    m_awardWinners = std::move(records.winners);
    m_awardWinnerNames = std::move(records.names);
    bool anyRecord = !records.badLines.empty();
    for (const auto &names : m_awardWinnerNames)
        anyRecord = anyRecord || !names.empty();

    // A first installation ships the files empty: nothing to say then. Marks
    // saved with another list name other people: the records decide then.
    auto stateLines = splitLines(stateText);
    const bool fresh = stateLines.empty() && trimBlanks(orderText).empty() && !anyRecord;
    const size_t n = m_lists.size();
    if (stateLines.size() == n && !listChanged)
        m_lists.StateList = std::move(stateLines);
    else if (!fresh && !listChanged)
        problems.push_back(TSL_GBK("已抽标记文件colip.jpg有") + std::to_string(stateLines.size()) +
                           TSL_GBK("行，与参选名单data.txt的") + std::to_string(n) +
                           TSL_GBK("行不符，已改按中奖记录确定谁已中奖。"));

    // Every recorded winner stays drawn, whatever the marks say.
    MarkRepair repair = markRecordedWinners(m_lists, m_awardWinnerNames);
    if (!repair.marked.empty() && !listChanged)
        problems.push_back(TSL_GBK("中奖记录中的") + joinNames(repair.marked) +
                           TSL_GBK("没有标为已中奖，已补上标记，不会再次中奖。"));
    if (!repair.missing.empty())
        problems.push_back(TSL_GBK("中奖记录中的") + joinNames(repair.missing) +
                           TSL_GBK("不在参选名单data.txt中。"));
}

void DrawSession::restorePosition(DrawPosition p, const std::string &orderText, bool listChanged,
                                  std::vector<std::string> &problems, DrawOutcome &out)
{
    if (p.outOfRange)
        problems.push_back(TSL_GBK("set.dat中保存的抽奖位置有超出范围的数值，已改为最近的有效值。"));
    if (m_state.AwardCount > 0 && (p.CurrentAward < 0 || p.CurrentAward >= m_state.AwardCount)) {
        problems.push_back(TSL_GBK("保存的当前奖项序号") + std::to_string(p.CurrentAward) +
                           TSL_GBK("超出了奖项设置，已改为最近的奖项。"));
        p.CurrentAward = std::clamp(p.CurrentAward, 0, m_state.AwardCount - 1);
    }
    m_state.CurrentAward = p.CurrentAward;
    m_state.CurrentBatch = std::max(p.CurrentBatch, 1);
    m_state.DrawnInAward = std::max(p.DrawnInAward, 0);
    if (const LGrade *a = award(m_state.CurrentAward)) {
        m_captions.Award = a->prizeName;
        m_captions.AwardPicture = a->prizePicture;
    }

    std::vector<int> order;
    const int badLine = parseOrderFile(orderText, m_lists.size(), order);
    bool fits = badLine == 0 && p.OrderCursor >= -1 && p.OrderCursor < static_cast<int>(order.size());
    if (badLine == 0 && order.empty() && p.OrderCursor <= 0) {
        fits = true;  // nothing in play, as after an empty pool or on a first start
        p.OrderCursor = -1;
    }
    m_orderUnsaved = false;
    m_positionUnsaved = false;
    if (fits && !listChanged) {
        m_pool = std::move(order);
        m_state.OrderCursor = p.OrderCursor;
        m_state.RollCount = m_state.OrderCursor + 1;
        m_state.OrderFloor = std::clamp(p.OrderFloor, 0, static_cast<int>(m_pool.size()));
        if (const int removed = removeDrawnFromPlay(); removed > 0)
            problems.push_back(TSL_GBK("抽奖顺序文件tmda.jpg中尚未抽到的部分有") + std::to_string(removed) +
                               TSL_GBK("个已中奖的人员，已将他们移出，不会再次中奖。"));
        return;
    }
    if (!listChanged)
        problems.push_back(badLine ? TSL_GBK("抽奖顺序文件tmda.jpg第") + std::to_string(badLine) +
                                         TSL_GBK("行不是参选名单中的序号。")
                                   : TSL_GBK("保存的抽取位置") + std::to_string(p.OrderCursor) +
                                         TSL_GBK("超出了抽奖顺序文件tmda.jpg的范围。"));
    m_pool.clear();
    m_state.OrderCursor = -1;
    m_state.RollCount = 0;
    m_state.OrderFloor = 0;
    const LGrade *a = award(m_state.CurrentAward);
    if (a && a->batchCount >= m_state.CurrentBatch) {
        // The rest of the award is decided again among those not drawn yet.
        BuildDrawOrder(m_state.CurrentAward, std::max(a->winners - m_state.DrawnInAward, 0), false,
                       m_flags.PredeterminedActive, out);
        problems.push_back(TSL_GBK("当前奖项余下的名额已在未中奖的人员中重新确定抽取顺序。"));
    }
}

int DrawSession::removeDrawnFromPlay()
{
    // With canreAward a winner may be taken again: the order stands as built.
    if (m_options.canreAward)
        return 0;
    const int removed = tessaly::removeDrawnFromPlay(m_pool, m_state.OrderCursor, m_state.OrderFloor, m_lists.StateList);
    if (removed > 0) {
        m_state.RollCount = m_state.OrderCursor + 1;
        m_orderUnsaved = true;
    }
    return removed;
}

}  // namespace tessaly
