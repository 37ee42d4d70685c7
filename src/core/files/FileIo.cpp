#include "files/FileIo.h"

#include "files/FileObserver.h"
#include "text/Gbk.h"

#include <algorithm>
#include <atomic>
#include <mutex>
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

std::atomic<FileObserver *> g_observer{nullptr};
std::mutex g_observerMutex;

// Every change to the disk is one of these steps, so that an observer sees
// them all in the order they were made.
template <typename Op>
bool step(FileStep::Kind kind, const fs::path &path, const fs::path &target, long long offset,
          std::string_view bytes, Op op)
{
    FileObserver *observer = g_observer.load();
    if (!observer)
        return op();
    FileStep s{kind, path, target, offset, std::string(bytes)};
    // A slow step of one thread must not hold the others back: only the step
    // and its report go one at a time, so the reports keep the steps' order.
    if (int err = observer->before(s)) {
        errno = err;
        return false;
    }
    std::lock_guard lock(g_observerMutex);
    const bool ok = op();
    const int err = errno;
    if (ok)
        observer->made(s);
    errno = err;
    return ok;
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

bool writeStep(int fd, const fs::path &path, long long offset, std::string_view bytes)
{
    return step(FileStep::Kind::Write, path, {}, offset, bytes, [&] { return writeAll(fd, bytes); });
}

bool flushFileStep(int fd, const fs::path &path)
{
    return step(FileStep::Kind::FlushFile, path, {}, 0, {}, [&] { return ::fsync(fd) == 0; });
}

bool renameStep(const fs::path &from, const fs::path &to)
{
    return step(FileStep::Kind::Rename, from, to, 0, {}, [&] { return ::rename(from.c_str(), to.c_str()) == 0; });
}

bool removeStep(const fs::path &path)
{
    return step(FileStep::Kind::Remove, path, {}, 0, {}, [&] { return ::unlink(path.c_str()) == 0 || errno == ENOENT; });
}

bool truncateStep(int fd, const fs::path &path, long long length)
{
    return step(FileStep::Kind::Truncate, path, {}, length, {},
                [&] { return ::ftruncate(fd, static_cast<off_t>(length)) == 0; });
}

// A rename or removal survives a power cut only once its folder is flushed.
// File systems that cannot flush a folder say so with EINVAL: nothing to wait for then.
bool flushFolderStep(const fs::path &folder)
{
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    return step(FileStep::Kind::FlushFolder, where, {}, 0, {}, [&] {
        int dfd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY);
        if (dfd < 0)
            return false;
        const bool ok = ::fsync(dfd) == 0 || errno == EINVAL || errno == ENOTSUP;
        const int err = errno;
        ::close(dfd);
        errno = err;
        return ok;
    });
}

long long sizeOf(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

// Writes a new temporary file beside `path` with the target's permissions; its name comes back.
Result<std::string> writeTemporary(const fs::path &path, std::string_view bytes, bool flush)
{
    std::string pattern = (path.parent_path() / (path.filename().string() + kTempMarker + "XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, errno);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    };
    if (!writeStep(fd, pattern, 0, bytes))
        return fail(errno);
    // Keep the permissions of the file being replaced, or the usual ones for a new file.
    struct stat st;
    mode_t mode = (::stat(path.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
    ::fchmod(fd, mode);
    if (flush && !flushFileStep(fd, pattern))
        return fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    }
    return pattern;
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
    auto temporary = writeTemporary(path, bytes, true);
    if (!temporary)
        return temporary.error();
    if (!renameStep(*temporary, path)) {
        int err = errno;
        ::unlink(temporary->c_str());
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, err);
    }
    if (!flushFolderStep(path.parent_path()))
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, errno);
    return Ok{};
}

Status appendFileDurable(const fs::path &path, std::string_view bytes)
{
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", path, errno);
    bool ok = writeStep(fd, path, sizeOf(fd), bytes) && flushFileStep(fd, path);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    // A file the append created is there after a power cut only once its folder is flushed.
    if (ok && !existed && !flushFolderStep(path.parent_path())) {
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
    bool ok = truncateStep(fd, path, length) && flushFileStep(fd, path);
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
    return removeFilesDurable({path});
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
    std::vector<fs::path> stale;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().find(kTempMarker) != std::string::npos)
            stale.push_back(entry.path());
    }
    if (!stale.empty())
        removeFilesDurable(stale);
}

Status makeFolderDurable(const fs::path &folder)
{
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec))
        return Ok{};
    if (Status parent = makeFolderDurable(folder.parent_path()); !parent)
        return parent;
    const bool made = step(FileStep::Kind::MakeFolder, folder, {}, 0, {},
                           [&] { return ::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST; });
    if (!made || !flushFolderStep(folder.parent_path()))
        return ioError(ErrorCode::FileWrite, "无法建立文件夹 ", folder, errno);
    return Ok{};
}

Status removeFilesDurable(const std::vector<fs::path> &paths)
{
    std::vector<fs::path> folders;
    for (const fs::path &path : paths) {
        if (!removeStep(path))
            return ioError(ErrorCode::FileWrite, "无法删除文件 ", path, errno);
        if (std::find(folders.begin(), folders.end(), path.parent_path()) == folders.end())
            folders.push_back(path.parent_path());
    }
    for (const fs::path &folder : folders)
        if (!flushFolderStep(folder))
            return ioError(ErrorCode::FileWrite, "无法删除文件 ", folder, errno);
    return Ok{};
}

Status removeFolderDurable(const fs::path &folder)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(folder, ec)))
        return Ok{};
    std::vector<fs::path> files, folders{folder};
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc) && !it->is_symlink(typeEc))
            folders.push_back(it->path());
        else
            files.push_back(it->path());
    }
    if (ec)
        return ioError(ErrorCode::FileWrite, "无法删除文件夹 ", folder, ec.value());
    if (Status removed = removeFilesDurable(files); !removed)
        return removed;
    // Deepest first: a folder goes once everything below it has gone.
    std::sort(folders.begin(), folders.end(), [](const fs::path &a, const fs::path &b) {
        return std::distance(a.begin(), a.end()) > std::distance(b.begin(), b.end());
    });
    for (const fs::path &f : folders) {
        if (!step(FileStep::Kind::Remove, f, {}, 0, {}, [&] { return ::rmdir(f.c_str()) == 0 || errno == ENOENT; }) ||
            !flushFolderStep(f.parent_path()))
            return ioError(ErrorCode::FileWrite, "无法删除文件夹 ", f, errno);
    }
    return Ok{};
}

StagedFiles::~StagedFiles()
{
    for (const Staged &s : m_staged)
        ::unlink(s.temporary.c_str());
}

size_t StagedFiles::size() const
{
    std::lock_guard lock(m_mutex);
    return m_staged.size();
}

Status StagedFiles::stage(const fs::path &target, std::string_view bytes)
{
    auto temporary = writeTemporary(target, bytes, false);
    if (!temporary)
        return temporary.error();
    std::lock_guard lock(m_mutex);
    m_staged.push_back({*temporary, target});
    return Ok{};
}

Status StagedFiles::commit()
{
    std::lock_guard lock(m_mutex);
    if (m_staged.empty())
        return Ok{};
    // One flush of the whole file system costs about what one file's flush
    // does, where a flush per file would cost more than the writing itself.
    const fs::path first = m_staged.front().temporary;
    const bool flushed = step(FileStep::Kind::FlushFile, first, {}, 0, {}, [&] {
        int fd = ::open(first.c_str(), O_RDONLY);
        if (fd < 0)
            return false;
        const bool ok = ::syncfs(fd) == 0;
        const int err = errno;
        ::close(fd);
        errno = err;
        return ok;
    });
    if (!flushed)
        return ioError(ErrorCode::FileWrite, "无法写入文件 ", m_staged.front().target, errno);
    // The observer learns that every staged file is on disk now.
    if (g_observer.load()) {
        for (size_t i = 1; i < m_staged.size(); ++i)
            step(FileStep::Kind::FlushFile, m_staged[i].temporary, {}, 0, {}, [] { return true; });
    }
    std::vector<fs::path> folders;
    while (!m_staged.empty()) {
        const Staged s = m_staged.front();
        if (!renameStep(s.temporary, s.target))
            return ioError(ErrorCode::FileWrite, "无法写入文件 ", s.target, errno);
        m_staged.erase(m_staged.begin());
        if (std::find(folders.begin(), folders.end(), s.target.parent_path()) == folders.end())
            folders.push_back(s.target.parent_path());
    }
    for (const fs::path &folder : folders)
        if (!flushFolderStep(folder))
            return ioError(ErrorCode::FileWrite, "无法写入文件 ", folder, errno);
    return Ok{};
}

Result<int> copyFolderDurable(const fs::path &from, const fs::path &to,
                              const std::function<bool(const fs::path &relative)> &copy)
{
    if (Status made = makeFolderDurable(to); !made)
        return made.error();
    StagedFiles staged;
    std::error_code ec;
    std::string data;
    fs::recursive_directory_iterator it(from, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path relative = it->path().lexically_relative(from);
        std::error_code typeEc;
        if (!copy(relative)) {
            if (it->is_directory(typeEc))
                it.disable_recursion_pending();
            continue;
        }
        const fs::path target = to / relative;
        if (it->is_directory(typeEc)) {
            if (Status made = makeFolderDurable(target); !made)
                return made.error();
        } else if (it->is_regular_file(typeEc)) {
            if (Status read = readFileInto(it->path(), data); !read)
                return read.error();
            if (Status written = staged.stage(target, data); !written)
                return written.error();
        }
    }
    if (ec)
        return ioError(ErrorCode::FileRead, "无法读取文件夹 ", from, ec.value());
    const int count = static_cast<int>(staged.size());
    if (Status committed = staged.commit(); !committed)
        return committed.error();
    return count;
}

void setFileObserver(FileObserver *observer)
{
    g_observer.store(observer);
}

}  // namespace tessaly
