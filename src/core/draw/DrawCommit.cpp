#include "draw/DrawCommit.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "proof/AuditLog.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"

#include <charconv>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kMagic = "Tessaly draw journal 1";

// The commit with the lengths ARecord.dat and log.txt had before it, so that a
// second application appends only what is missing.
struct Journal {
    DrawCommit commit;
    long long recordAt = 0;
    long long logAt = 0;
    long long auditAt = 0;
};

long long fileLength(const fs::path &path)
{
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<long long>(size);
}

bool parseLength(std::string_view text, long long &out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size() && out >= -1;
}

std::string serialize(const Journal &j)
{
    const DrawCommit &c = j.commit;
    auto length = [](const std::optional<std::string> &s) { return s ? std::to_string(s->size()) : "-1"; };
    std::string text(kMagic);
    text += "\r\nrecord=" + std::string(c.clearRecord ? "1" : "0") + "|" + std::to_string(j.recordAt) + "|" +
            std::to_string(c.recordBlock.size());
    text += "\r\nlog=" + std::to_string(j.logAt) + "|" + std::to_string(c.logBlock.size());
    if (!c.auditBlock.empty())
        text += "\r\naudit=" + std::to_string(j.auditAt) + "|" + std::to_string(c.auditBlock.size());
    text += "\r\norder=" + length(c.orderText);
    text += "\r\nstate=" + length(c.stateText);
    for (const auto &w : c.settings)
        text += "\r\nset=" + w.section + "\t" + w.key + "\t" + w.value;
    for (const auto &f : c.files)
        text += "\r\nfile=" + std::to_string(f.second.size()) + "|" + f.first;
    text += "\r\nend\r\n";
    text += c.recordBlock;
    text += c.logBlock;
    text += c.auditBlock;
    if (c.orderText)
        text += *c.orderText;
    if (c.stateText)
        text += *c.stateText;
    for (const auto &f : c.files)
        text += f.second;
    return text;
}

bool parse(std::string_view text, Journal &j)
{
    DrawCommit &c = j.commit;
    long long recordLength = 0, logLength = 0, auditLength = 0, orderLength = -1, stateLength = -1;
    std::vector<long long> fileLengths;
    size_t pos = 0;
    bool first = true;
    for (;;) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos)
            return false;
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 2;
        if (first) {
            if (line != kMagic)
                return false;
            first = false;
            continue;
        }
        if (line == "end")
            break;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return false;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        auto field = [&value](size_t n) {
            size_t start = 0;
            for (size_t i = 0; i < n; ++i) {
                start = value.find('|', start);
                if (start == std::string_view::npos)
                    return std::string_view();
                ++start;
            }
            return value.substr(start, value.find('|', start) - start);
        };
        if (key == "record") {
            c.clearRecord = field(0) == "1";
            if (!parseLength(field(1), j.recordAt) || !parseLength(field(2), recordLength))
                return false;
        } else if (key == "log") {
            if (!parseLength(field(0), j.logAt) || !parseLength(field(1), logLength))
                return false;
        } else if (key == "audit") {
            if (!parseLength(field(0), j.auditAt) || !parseLength(field(1), auditLength))
                return false;
        } else if (key == "order") {
            if (!parseLength(value, orderLength))
                return false;
        } else if (key == "state") {
            if (!parseLength(value, stateLength))
                return false;
        } else if (key == "file") {
            const size_t bar = value.find('|');
            long long length = -1;
            const std::string_view name = bar == std::string_view::npos ? std::string_view() : value.substr(bar + 1);
            // Only the draw's own files: a journal never writes anything else.
            if (!parseLength(value.substr(0, bar), length) || length < 0 ||
                (name != files::kWithdrawn && name != files::kHallPools))
                return false;
            fileLengths.push_back(length);
            c.files.emplace_back(std::string(name), std::string());
        } else if (key == "set") {
            size_t t1 = value.find('\t');
            size_t t2 = t1 == std::string_view::npos ? t1 : value.find('\t', t1 + 1);
            if (t2 == std::string_view::npos)
                return false;
            c.settings.push_back({std::string(value.substr(0, t1)), std::string(value.substr(t1 + 1, t2 - t1 - 1)),
                                  std::string(value.substr(t2 + 1))});
        }
    }
    auto take = [&](long long length, std::string &out) {
        if (length < 0 || static_cast<unsigned long long>(length) > text.size() - pos)
            return false;
        out.assign(text.substr(pos, static_cast<size_t>(length)));
        pos += static_cast<size_t>(length);
        return true;
    };
    if (!take(recordLength, c.recordBlock) || !take(logLength, c.logBlock) || !take(auditLength, c.auditBlock))
        return false;
    if (orderLength >= 0 && !take(orderLength, c.orderText.emplace()))
        return false;
    if (stateLength >= 0 && !take(stateLength, c.stateText.emplace()))
        return false;
    for (size_t i = 0; i < fileLengths.size(); ++i)
        if (!take(fileLengths[i], c.files[i].second))
            return false;
    return pos == text.size();
}

// Appends what the file lacks of `block`, given the length it had before the
// first attempt: nothing when the block is all there, its rest after a torn
// append. A file that changed otherwise gets the block appended (`strict`
// false) or is left alone with an error.
Status appendMissing(const fs::path &path, long long at, const std::string &block, bool strict)
{
    if (block.empty())
        return Ok{};
    auto data = readFile(path);
    if (!data && data.code() != ErrorCode::FileMissing)
        return data.error();
    const std::string current = data ? std::move(*data) : std::string();
    if (at >= 0 && current.size() >= static_cast<size_t>(at)) {
        std::string_view tail = std::string_view(current).substr(static_cast<size_t>(at));
        if (std::string_view(block).starts_with(tail)) {
            if (tail.size() == block.size())
                return Ok{};
            return appendFileDurable(path, std::string_view(block).substr(tail.size()));
        }
    }
    if (strict)
        return makeError(ErrorCode::Inconsistent,
                         TSL_GBK("上次停止抽奖时程序意外中断，而中奖记录文件ARecord.dat在那以后已被改动，"
                                 "无法确定那一批中奖记录是否完整，因此没有补写。ARecord.dat、tmda.jpg、colip.jpg "
                                 "都保持原样，请核对中奖记录后再继续抽奖。"));
    return appendFileDurable(path, block);
}

Status writeSettings(const fs::path &programDir, const std::vector<SettingWrite> &writes)
{
    if (writes.empty())
        return Ok{};
    auto settings = openSettings(programDir);
    if (!settings)
        return settings.error();
    for (const auto &w : writes)
        settings->writeString(w.section, w.key, w.value);
    return settings->commit();
}

CommitResult apply(const fs::path &programDir, const Journal &j, const CommitInterrupt &interrupt, bool recovering)
{
    const DrawCommit &c = j.commit;
    CommitResult result;
    auto record = [&](Status status, bool &done) {
        done = status.ok();
        if (!done)
            result.errors.push_back(status.error());
    };
    auto stopHere = [&](CommitStep step) {
        result.interrupted = interrupt && interrupt(step);
        return result.interrupted;
    };

    const fs::path recordPath = programFile(programDir, files::kRecord);
    if (c.clearRecord)
        record(writeFileAtomic(recordPath, c.recordBlock), result.recordWritten);
    else if (recovering)
        record(appendMissing(recordPath, j.recordAt, c.recordBlock, true), result.recordWritten);
    else
        record(c.recordBlock.empty() ? Status(Ok{}) : appendFileDurable(recordPath, c.recordBlock),
               result.recordWritten);
    if (recovering && !result.recordWritten)
        return result;  // the record file is not what the journal expects: touch nothing else
    if (stopHere(CommitStep::Record))
        return result;

    // The audit lines go with the records they describe.
    const fs::path auditPath = programDir / kAuditLog;
    if (recovering)
        record(appendMissing(auditPath, j.auditAt, c.auditBlock, false), result.auditWritten);
    else
        record(c.auditBlock.empty() ? Status(Ok{}) : appendFileDurable(auditPath, c.auditBlock), result.auditWritten);
    if (stopHere(CommitStep::Audit))
        return result;

    if (c.orderText)
        record(writeFileAtomic(programFile(programDir, files::kDrawOrder), *c.orderText), result.orderWritten);
    else
        result.orderWritten = true;
    if (stopHere(CommitStep::Order))
        return result;

    if (c.stateText)
        record(writeFileAtomic(programFile(programDir, files::kDrawnMarks), *c.stateText), result.stateWritten);
    else
        result.stateWritten = true;
    if (stopHere(CommitStep::State))
        return result;

    for (const auto &[name, text] : c.files) {
        bool written = false;
        record(writeFileAtomic(programDir / name, text), written);
        result.stateWritten = result.stateWritten && written;
    }
    record(writeSettings(programDir, c.settings), result.settingsWritten);
    if (stopHere(CommitStep::Settings))
        return result;

    // The history is for people: a log that cannot be written must not hold
    // back the record, so its failure alone keeps no journal.
    const fs::path logPath = programFile(programDir, files::kLog);
    if (recovering)
        record(appendMissing(logPath, j.logAt, c.logBlock, false), result.logWritten);
    else
        record(c.logBlock.empty() ? Status(Ok{}) : appendFileDurable(logPath, c.logBlock), result.logWritten);
    if (stopHere(CommitStep::Log))
        return result;

    if (result.recordWritten && result.auditWritten && result.orderWritten && result.stateWritten &&
        result.settingsWritten) {
        Status removed = removeFileDurable(programFile(programDir, kCommitJournal));
        if (!removed)
            result.errors.push_back(removed.error());
    }
    stopHere(CommitStep::Finished);
    return result;
}

// A record file that does not end with a line end lost the end of its last
// write: that cut line is kept aside in ARecord.cut.txt and taken out, so the
// next record starts a line of its own instead of merging into it.
Status setAsideCutLine(const fs::path &programDir, std::string &setAside)
{
    const fs::path path = programFile(programDir, files::kRecord);
    const auto last = lastByteOf(path);
    if (!last || *last == '\n' || *last == '\r')
        return Ok{};
    auto text = readFile(path);
    if (!text)
        return text.error();
    const std::string_view cut = cutRecordLine(*text);
    if (Status kept = appendFileDurable(programFile(programDir, kCutRecords), std::string(cut) + "\r\n"); !kept)
        return kept;
    if (Status cutBack = truncateFileDurable(path, static_cast<long long>(text->size() - cut.size())); !cutBack)
        return cutBack;
    setAside = cut;
    return Ok{};
}

// Where this commit's appends to one file begin when a journal of an earlier
// save is still there. When that save's block stopped part way (a full disk)
// and this commit carries the block again, the file is cut back to where the
// block began, so it is never written twice. A block that did not get through
// and is not carried is an error: that journal must not be replaced.
Status resumeAppend(const fs::path &path, long long pendingAt, const std::string &pendingBlock,
                    const std::string &block, bool mustCarry)
{
    if (pendingBlock.empty())
        return Ok{};
    auto data = readFile(path);
    if (!data && data.code() != ErrorCode::FileMissing)
        return data.error();
    const std::string current = data ? std::move(*data) : std::string();
    if (pendingAt < 0 || current.size() < static_cast<size_t>(pendingAt))
        return Ok{};  // changed since (a give-up rewrote it): appends go to its end
    const std::string_view tail = std::string_view(current).substr(static_cast<size_t>(pendingAt));
    if (tail.starts_with(pendingBlock) || !std::string_view(pendingBlock).starts_with(tail))
        return Ok{};  // the earlier block got through, or the file changed otherwise
    if (std::string_view(block).starts_with(pendingBlock))
        return tail.empty() ? Status(Ok{}) : truncateFileDurable(path, pendingAt);
    if (!mustCarry)
        return Ok{};
    return makeError(ErrorCode::Inconsistent,
                     TSL_GBK("上一次保存抽奖结果没有完成（见draw.journal），这次的保存没有带上那一批中奖记录，"
                             "因此没有写入。请重新启动软件，让它先补全上一次的记录。"));
}

Status resumeAfterPending(const fs::path &programDir, const DrawCommit &commit)
{
    const fs::path path = programFile(programDir, kCommitJournal);
    std::error_code ec;
    if (!fs::exists(path, ec))
        return Ok{};
    auto text = readFile(path);
    if (!text)
        return text.error();
    Journal pending;
    if (!parse(*text, pending) || pending.commit.clearRecord)
        return Ok{};  // not ours, or a reset: a whole replace that left nothing half done
    if (!commit.clearRecord) {
        Status record = resumeAppend(programFile(programDir, files::kRecord), pending.recordAt,
                                     pending.commit.recordBlock, commit.recordBlock, true);
        if (!record)
            return record;
    }
    if (Status audit = resumeAppend(programDir / kAuditLog, pending.auditAt, pending.commit.auditBlock,
                                    commit.auditBlock, true);
        !audit)
        return audit;
    return resumeAppend(programFile(programDir, files::kLog), pending.logAt, pending.commit.logBlock, commit.logBlock,
                        false);
}

}  // namespace

CommitResult applyDrawCommit(const fs::path &programDir, const DrawCommit &commit, const CommitInterrupt &interrupt)
{
    CommitResult result;
    if (Status resumed = resumeAfterPending(programDir, commit); !resumed) {
        result.errors.push_back(resumed.error());
        return result;
    }
    if (!commit.clearRecord && !commit.recordBlock.empty()) {
        if (Status repaired = setAsideCutLine(programDir, result.setAside); !repaired) {
            result.errors.push_back(repaired.error());
            return result;  // nothing of the stop is written rather than a merged record
        }
    }
    Journal j{commit, fileLength(programFile(programDir, files::kRecord)),
              fileLength(programFile(programDir, files::kLog)), fileLength(programDir / kAuditLog)};
    Status journal = writeFileAtomic(programFile(programDir, kCommitJournal), serialize(j));
    if (!journal) {
        // Nothing has changed on disk: the stop is not saved at all, rather than half.
        result.errors.push_back(journal.error());
        return result;
    }
    if (interrupt && interrupt(CommitStep::Journal)) {
        result.interrupted = true;
        return result;
    }
    CommitResult applied = apply(programDir, j, interrupt, false);
    applied.setAside = std::move(result.setAside);
    return applied;
}

RecoveryResult finishPendingCommit(const fs::path &programDir)
{
    RecoveryResult out;
    const fs::path path = programFile(programDir, kCommitJournal);
    std::error_code ec;
    if (!fs::exists(path, ec))
        return out;
    out.found = true;
    auto text = readFile(path);
    if (!text) {
        out.errors.push_back(text.error());
        return out;
    }
    Journal j;
    if (!parse(*text, j)) {
        // Written by an atomic replace, so a journal is whole or absent; one that
        // does not parse was not written by this program and is left alone.
        out.errors.push_back(makeError(ErrorCode::BadValue,
                                       TSL_GBK("文件draw.journal无法识别，已忽略。")));
        return out;
    }
    CommitResult applied = apply(programDir, j, {}, true);
    out.errors = std::move(applied.errors);
    out.finished = applied.recordWritten && applied.auditWritten && applied.orderWritten && applied.stateWritten && applied.settingsWritten;
    return out;
}

}  // namespace tessaly
