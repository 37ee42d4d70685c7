#include "event/Backup.h"

#include "draw/DrawRecord.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

namespace tessaly {
namespace {

constexpr const char *kBackedUpFiles[] = {files::kRecord, files::kDrawnMarks, files::kDrawOrder, files::kLog,
                                          files::kParticipants, files::kWithdrawn, files::kHallPools};

// Whole sections that a reset or a list change makes meaningless or rewrites.
constexpr const char *kBackedUpSections[] = {"Grade", "Grfz"};

// The draw position, the award count and order, grouping, the supplement mark
// and the mode the list belongs to.
constexpr const char *kBackedUpOptions[] = {"currentLucki", "currentSxtimes", "currentnowgotodata", "currentovernum",
                                            "currentorderfloor", "currentlistsum", "Lucks", "scrolldown",
                                            "addgradep", "canfz", "ispho"};

std::string stamp(const LocalDateTime &t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

// "YYYY-MM-DD HH-MM-SS", optionally followed by "-N": only such folders are
// backups, so a folder the operator put there is never pruned.
bool isBackupName(const std::string &name)
{
    if (name.size() < 19)
        return false;
    for (size_t i = 0; i < 19; ++i) {
        const char c = name[i];
        const bool sep = i == 4 || i == 7 || i == 13 || i == 16;
        if (i == 10 ? c != ' ' : sep ? c != '-' : (c < '0' || c > '9'))
            return false;
    }
    if (name.size() == 19)
        return true;
    return name[19] == '-' && name.size() > 20 &&
           std::all_of(name.begin() + 20, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Error writeError(const fs::path &where, const std::error_code &ec)
{
    return makeError(ErrorCode::FileWrite,
                     TSL_GBK("无法创建备份文件夹：") + fileNameToGbk(where) + " (" + utf8ToGbk(ec.message()) + ")");
}

Status copyKeys(const IniStore &from, IniStore &to)
{
    for (const char *section : kBackedUpSections) {
        for (const std::string &key : to.keys(section))
            to.deleteKey(section, key);
        for (const std::string &key : from.keys(section))
            to.writeString(section, key, from.readString(section, key));
    }
    for (const char *key : kBackedUpOptions) {
        if (from.hasKey("Option", key))
            to.writeString("Option", key, from.readString("Option", key));
        else
            to.deleteKey("Option", key);
    }
    return to.commit();
}

void prune(const fs::path &root, const std::string &keep)
{
    std::vector<std::string> names = listBackups(root.parent_path());
    if (static_cast<int>(names.size()) <= kKeptBackups)
        return;
    const size_t excess = names.size() - static_cast<size_t>(kKeptBackups);
    for (size_t i = 0; i < names.size() && i < excess; ++i) {
        if (names[i] == keep)
            continue;
        removeFolderDurable(root / names[i]);  // an old backup left behind is only one too many
    }
}

Result<BackupMade> makeBackupKeeping(const fs::path &dir, const LocalDateTime &now, const std::string &keep)
{
    const fs::path root = dir / kBackupFolder;
    std::error_code ec;
    if (Status madeRoot = makeFolderDurable(root); !madeRoot)
        return madeRoot.error();
    // Two backups in one second get a number, never one folder for both.
    BackupMade made;
    made.name = stamp(now);
    for (int n = 2; fs::exists(root / made.name, ec); ++n)
        made.name = stamp(now) + "-" + std::to_string(n);
    made.folder = root / made.name;
    if (ec)
        return writeError(made.folder, ec);
    if (Status madeFolder = makeFolderDurable(made.folder); !madeFolder)
        return madeFolder.error();

    auto fail = [&](const Error &error) -> Result<BackupMade> {
        removeFolderDurable(made.folder);
        return error;
    };
    for (const char *name : kBackedUpFiles) {
        const fs::path source = programFile(dir, name);
        if (!fs::exists(source, ec))
            continue;
        if (Status copied = copyFileAtomic(source, made.folder / name); !copied)
            return fail(copied.error());
    }
    auto settings = IniStore::open(programFile(dir, files::kSettings));
    if (!settings)
        return fail(settings.error());
    auto keys = IniStore::open(made.folder / kBackupKeysFile);
    if (!keys)
        return fail(keys.error());
    if (Status written = copyKeys(*settings, *keys); !written)
        return fail(written.error());
    prune(root, keep);
    return made;
}

}  // namespace

Result<BackupMade> makeBackup(const fs::path &programDir, const LocalDateTime &now)
{
    return makeBackupKeeping(programDir, now, {});
}

std::vector<std::string> listBackups(const fs::path &programDir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(programDir / kBackupFolder, ec)) {
        std::error_code typeEc;
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(typeEc) && isBackupName(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        // The number of a second backup in the same second counts as a number.
        if (a.compare(0, 19, b, 0, 19) != 0)
            return a.compare(0, 19, b, 0, 19) < 0;
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

Result<BackupMade> restoreBackup(const fs::path &programDir, const std::string &name, const LocalDateTime &now)
{
    const fs::path source = programDir / kBackupFolder / name;
    std::error_code ec;
    if (!isBackupName(name) || !fs::is_directory(source, ec))
        return makeError(ErrorCode::FileMissing, TSL_GBK("找不到备份：") + fileNameToGbk(source));
    auto keys = IniStore::open(source / kBackupKeysFile);
    if (!keys)
        return keys.error();
    if (!keys->fileExisted())
        return makeError(ErrorCode::FileMissing,
                         TSL_GBK("备份不完整，缺少") + std::string(kBackupKeysFile) + TSL_GBK("：") + fileNameToGbk(source));

    auto before = makeBackupKeeping(programDir, now, name);
    if (!before)
        return before.error();
    for (const char *file : kBackedUpFiles) {
        const fs::path from = source / file;
        if (!fs::exists(from, ec))
            continue;
        if (Status copied = copyFileAtomic(from, programFile(programDir, file)); !copied)
            return copied.error();
    }
    auto settings = IniStore::open(programFile(programDir, files::kSettings));
    if (!settings)
        return settings.error();
    if (Status written = copyKeys(*keys, *settings); !written)
        return written.error();
    return before;
}

int recordedWinnerCount(const fs::path &programDir)
{
    auto record = readFile(programFile(programDir, files::kRecord));
    if (!record)
        return 0;
    const RecordReadout readout = readRecordLines(*record);
    int n = 0;
    for (const auto &award : readout.names)
        n += static_cast<int>(award.size());
    return n;
}

std::string backupNotice(const fs::path &programDir, int recordedWinners)
{
    std::string text;
    if (recordedWinners > 0)
        text = TSL_GBK("这将清除已抽出的") + std::to_string(recordedWinners) + TSL_GBK("名中奖人员的中奖记录。");
    return text + TSL_GBK("操作前会把名单、中奖记录和奖项设置备份到“") + fileNameToGbk(programDir / kBackupFolder) +
           TSL_GBK("”下以当前时间命名的文件夹中，可用菜单“恢复备份”找回。");
}

}  // namespace tessaly
