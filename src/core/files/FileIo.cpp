#include "files/FileIo.h"

#include "text/Gbk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

constexpr const char *kTempMarker = ".tessaly-tmp-";

Error ioError(ErrorCode code, const char *what, const fs::path &path, int err)
{
    // The message is shown to the operator: Chinese text, file name, system reason.
    std::string msg = utf8ToGbk(what);
    msg += utf8ToGbk(path.string());
    msg += " (";
    msg += utf8ToGbk(std::strerror(err));
    msg += ")";
    return makeError(code, std::move(msg));
}

bool writeAll(int fd, std::string_view bytes)
{
    const char *p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

void syncFolder(const fs::path &folder)
{
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace

Status readFileInto(const fs::path &path, std::string &data)
{
    data.clear();
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return ioError(errno == ENOENT ? ErrorCode::FileMissing : ErrorCode::FileRead, "无法打开文件 ", path, errno);
    // The size is only a hint: a file that grows or shrinks meanwhile is read to its end.
    struct stat info {};
    size_t size = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        size = static_cast<size_t>(info.st_size);
    data.resize(std::max<size_t>(size + 1, 65536));
    size_t used = 0;
    for (;;) {
        if (used == data.size())
            data.resize(data.size() * 2);
        ssize_t n = ::read(fd, data.data() + used, data.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            data.clear();
            return ioError(ErrorCode::FileRead, "无法读取文件 ", path, err);
        }
        if (n == 0)
            break;
        used += static_cast<size_t>(n);
    }
    ::close(fd);
    data.resize(used);
    return Ok{};
}

Result<std::string> readFile(const fs::path &path)
{
    std::string data;
    if (Status read = readFileInto(path, data); !read)
        return read.error();
    return data;
}

Status writeFileAtomic(const fs::path &path, std::string_view bytes)
{
    fs::path folder = path.parent_path();
    std::string pattern = (folder / (path.filename().string() + kTempMarker + "XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, errno);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    };
    if (!writeAll(fd, bytes))
        return fail(errno);
    // Keep the permissions of the file being replaced, or the usual ones for a new file.
    struct stat st;
    mode_t mode = (::stat(path.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
    ::fchmod(fd, mode);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    }
    syncFolder(folder);
    return Ok{};
}

Status appendFileDurable(const fs::path &path, std::string_view bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, errno);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    return Ok{};
}

Status truncateFileDurable(const fs::path &path, long long length)
{
    int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, errno);
    bool ok = ::ftruncate(fd, static_cast<off_t>(length)) == 0 && ::fsync(fd) == 0;
    int err = errno;
    ::close(fd);
    if (!ok)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    return Ok{};
}

std::optional<char> lastByteOf(const fs::path &path)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    char byte = 0;
    const bool ok = ::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &byte, 1, st.st_size - 1) == 1;
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return byte;
}

Status removeFileDurable(const fs::path &path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return ioError(ErrorCode::FileWrite, "无法删除文件 ", path, errno);
    syncFolder(path.parent_path());
    return Ok{};
}

Status copyFileAtomic(const fs::path &from, const fs::path &to)
{
    auto data = readFile(from);
    if (!data)
        return data.error();
    return writeFileAtomic(to, *data);
}

void removeStaleTemporaries(const fs::path &folder)
{
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().find(kTempMarker) != std::string::npos)
            fs::remove(entry.path(), ec);
    }
}

}  // namespace tessaly
