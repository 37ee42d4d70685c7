#include "event/Takeover.h"

#include "draw/DrawRecord.h"
#include "files/EventMirror.h"
#include "files/FileIo.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"

namespace tessaly {
namespace fs = std::filesystem;

namespace {

std::string gbkPath(const fs::path &path)
{
    return utf8ToGbk(path.string());
}

}  // namespace

Result<std::optional<TakeoverOffer>> offerTakeover(const fs::path &folder, const std::optional<fs::path> &mirror)
{
    std::error_code ec;
    const std::string id = readEventId(folder);
    TakeoverOffer offer;
    offer.startedCount = readCommitCount(folder).count;
    if (fs::exists(folder / kMirrorMarker, ec)) {
        offer.further = folder;
        offer.furtherCount = offer.startedCount;
        offer.question = TSL_GBK("这是活动的备份文件夹（") + gbkPath(folder) + TSL_GBK("，已保存") +
                         std::to_string(offer.furtherCount) +
                         TSL_GBK("次）。要在本机接手继续抽奖吗？备份会先复制到本机，在复制的文件夹中继续抽奖。");
        return std::optional<TakeoverOffer>(offer);
    }
    if (!mirror || !fs::exists(*mirror / kEventIdFile, ec))
        return std::optional<TakeoverOffer>();
    const std::string theirs = readEventId(*mirror);
    if (theirs != id)
        return makeError(ErrorCode::Inconsistent, TSL_GBK("备份文件夹") + gbkPath(*mirror) + TSL_GBK("中是另一个活动（") +
                                                      theirs + TSL_GBK("）的文件，不会用它继续，也不会写入它。"));
    offer.further = *mirror;
    offer.furtherCount = readCommitCount(*mirror).count;
    if (offer.furtherCount <= offer.startedCount)
        return std::optional<TakeoverOffer>();
    offer.question = TSL_GBK("备份文件夹") + gbkPath(*mirror) + TSL_GBK("比本机的活动文件夹更新（备份已保存") +
                     std::to_string(offer.furtherCount) + TSL_GBK("次，本机") + std::to_string(offer.startedCount) +
                     TSL_GBK("次）。要用备份接手继续抽奖吗？备份会复制到本机的新文件夹，原来的文件夹保持不变。");
    return std::optional<TakeoverOffer>(offer);
}

Status copyForTakeover(const fs::path &further, const fs::path &local)
{
    auto copied = copyFolderDurable(further, local, [](const fs::path &relative) {
        const std::string first = relative.begin()->string();
        return first != kMirrorMarker && first.rfind(".tessaly", 0) != 0;
    });
    if (!copied)
        return copied.error();
    // The seeds travel for the takeover, readable by the owner only as they were.
    std::error_code ec;
    for (fs::recursive_directory_iterator it(further, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path relative = it->path().lexically_relative(further);
        std::error_code existsEc;
        if (fs::exists(local / relative, existsEc))
            keepAccessRights(it->path(), local / relative);
    }
    return Ok{};
}

fs::path takeoverFolder(const fs::path &base, const std::string &eventId)
{
    std::error_code ec;
    const std::string stem = "tessaly-" + eventId.substr(0, 8) + "-takeover";
    for (int n = 1;; ++n) {
        fs::path candidate = base / (stem + "-" + std::to_string(n));
        if (!fs::exists(candidate, ec))
            return candidate;
    }
}

std::vector<std::string> lastRecordedBatch(const fs::path &folder)
{
    std::vector<std::string> batch;
    auto text = readFile(folder / files::kRecord);
    if (!text)
        return batch;
    // Batches end with an empty line; the last batch is the run of records before the last one.
    std::vector<std::string> current;
    for (const std::string &line : recordFileLines(*text)) {
        if (line.empty()) {
            if (!current.empty())
                batch = std::move(current);
            current.clear();
            continue;
        }
        RecordFields fields;
        if (parseRecordLine(line, fields))
            current.push_back(fields.name);
    }
    if (!current.empty())
        batch = std::move(current);
    return batch;
}

}  // namespace tessaly
