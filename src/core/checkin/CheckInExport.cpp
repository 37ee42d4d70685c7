#include "checkin/CheckInExport.h"

#include "checkin/CheckInLog.h"

#include "participants/ParticipantList.h"
#include "text/Gbk.h"
#include "files/FileIo.h"
#include "winners/ResultsExport.h"

#include <ctime>

namespace tessaly {
namespace fs = std::filesystem;

Result<std::vector<CodeRow>> codeRowsOf(const fs::path &programDir, std::string *token)
{
    ParticipantLists lists;
    Status loaded = LoadParticipants(programDir, lists);
    if (!loaded)
        return loaded.error();
    auto codes = CheckInCodes::load(programDir);
    if (!codes)
        return codes.error();
    if (codes->cover(lists.NameList)) {
        Status saved = codes->save(programDir);
        if (!saved)
            return saved.error();
    }
    std::vector<CodeRow> rows;
    int line = 0;
    for (const EntryKey &key : entryKeysOf(lists.NameList))
        rows.push_back({++line, key.text, codes->codeOf(key)});
    if (token)
        *token = codes->token();
    return rows;
}

std::string personalLink(std::string base, const std::string &token, const std::string &code)
{
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/e/" + token + "/checkin#c=" + code;
}

Status exportCodeRows(const std::vector<CodeRow> &rows, const std::string &token, const std::string &base,
                      const fs::path &output)
{
    std::vector<std::vector<std::string>> sheet{{"行号", "抽奖条目", "签到码"}};
    if (!base.empty())
        sheet[0].push_back("签到链接");
    for (const CodeRow &r : rows) {
        sheet.push_back({std::to_string(r.line), gbkToUtf8(r.entry), r.code});
        if (!base.empty())
            sheet.back().push_back(personalLink(base, token, r.code));
    }
    if (exportFormatForPath(output) == ExportFormat::Xlsx)
        return writeSheetXlsx("签到码", sheet, {6, 30, 12, 70}, {0}, output);
    return writeFileAtomic(output, sheetCsv(sheet, {0}));
}

Result<std::vector<CheckInRow>> checkInRowsOf(const fs::path &programDir, const std::vector<std::string> &names)
{
    auto codes = CheckInCodes::load(programDir);
    if (!codes)
        return codes.error();
    auto log = readFile(programDir / kCheckInFile);
    if (!log && log.code() != ErrorCode::FileMissing)
        return log.error();
    CheckInState state;
    for (const CheckInLine &line : readCheckInLines(log ? *log : std::string()).lines)
        state.apply(line);
    std::vector<CheckInRow> rows;
    int line = 0;
    for (const EntryKey &key : entryKeysOf(names)) {
        CheckInRow row{++line, key.text, codes->codeOf(key), false, 0, {}};
        if (const auto it = state.byCode.find(row.code); !row.code.empty() && it != state.byCode.end())
            row = {row.line, row.entry, row.code, true, it->second.time, it->second.device};
        rows.push_back(std::move(row));
    }
    return rows;
}

Status exportCheckIns(const std::vector<CheckInRow> &rows, long utcOffsetSeconds, const fs::path &output)
{
    std::vector<std::vector<std::string>> sheet{{"行号", "抽奖条目", "签到码", "签到", "签到时间", "签到设备"}};
    for (const CheckInRow &r : rows) {
        std::string when;
        if (r.checkedIn) {
            const std::time_t t = static_cast<std::time_t>(r.time + utcOffsetSeconds);
            std::tm tm{};
            ::gmtime_r(&t, &tm);
            char text[32];
            std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
            when = text;
        }
        sheet.push_back({std::to_string(r.line), gbkToUtf8(r.entry), r.code, r.checkedIn ? "已签到" : "",
                         when, r.device == kConsoleDevice ? "控制台" : r.device});
    }
    if (exportFormatForPath(output) == ExportFormat::Xlsx)
        return writeSheetXlsx("签到", sheet, {6, 30, 12, 8, 20, 34}, {0}, output);
    return writeFileAtomic(output, sheetCsv(sheet, {0}));
}

}  // namespace tessaly
