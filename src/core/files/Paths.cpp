#include "files/Paths.h"

#include "files/FileIo.h"

#include "text/Gbk.h"
#include "text/Lines.h"

#include <system_error>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

// Finds a directory entry whose name equals `name` in any letter case.
fs::path matchInFolder(const fs::path &folder, const std::string &name)
{
    std::error_code ec;
    const std::string wanted = asciiLower(name);
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        std::string candidate = entry.path().filename().string();
        if (asciiLower(candidate) == wanted)
            return entry.path();
    }
    return {};
}

}  // namespace

fs::path resolveStoredPath(const fs::path &programDir, std::string_view stored)
{
    std::string native = gbkToUtf8(stored);
    for (char &c : native)
        if (c == '\\')
            c = '/';
    fs::path relative(native);
    fs::path exact = relative.is_absolute() ? relative : programDir / relative;
    std::error_code ec;
    if (native.empty() || fs::exists(exact, ec))
        return exact;

    fs::path current = relative.is_absolute() ? relative.root_path() : programDir;
    for (const auto &part : relative.relative_path()) {
        fs::path next = current / part;
        if (!fs::exists(next, ec)) {
            fs::path found = matchInFolder(current, part.string());
            if (found.empty())
                return exact;
            next = found;
        }
        current = next;
    }
    return current;
}

bool storedFileExists(const fs::path &programDir, std::string_view stored)
{
    if (stored.empty())
        return false;
    std::error_code ec;
    return fs::is_regular_file(resolveStoredPath(programDir, stored), ec);
}

std::string fileNameToGbk(const fs::path &name)
{
    return utf8ToGbk(name.string());
}

Result<std::string> importIntoProgramFolder(const fs::path &programDir, const fs::path &chosen,
                                            const std::string &subfolder)
{
    std::error_code ec;
    const fs::path folder = programDir / subfolder;
    const fs::path target = folder / chosen.filename();
    if (!fs::equivalent(chosen, target, ec)) {
        Status copied = makeFolderDurable(folder);
        if (copied)
            copied = copyFileAtomic(chosen, target);
        if (!copied)
            return makeError(ErrorCode::FileWrite, utf8ToGbk("无法把文件复制到程序的 " + subfolder + " 文件夹：") +
                                                       copied.error().message);
    }
    return subfolder + "\\" + fileNameToGbk(chosen.filename());
}

fs::path programFile(const fs::path &programDir, std::string_view name)
{
    return resolveStoredPath(programDir, name);
}

}  // namespace tessaly
