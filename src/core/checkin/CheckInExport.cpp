#include "checkin/CheckInExport.h"

#include "participants/ParticipantList.h"
#include "text/Gbk.h"
#include "files/FileIo.h"
#include "winners/ResultsExport.h"

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

}  // namespace tessaly
