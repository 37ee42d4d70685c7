#include "files/EventMirror.h"

#include "files/FileIo.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"
#include "text/Lines.h"

#include <charconv>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <tuple>

namespace tessaly {
namespace fs = std::filesystem;

namespace {

void parseLongLong(const std::string &text, long long &out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (ec != std::errc() || ptr != text.data() + text.size())
        out = 0;
}

// Files of the folder that belong to this run, not to the event.
bool ownedByTheRun(const std::string &name)
{
    return name == ".tessaly.lock" || name == ".tessaly-write-probe" || name.find(".tessaly-tmp-") != std::string::npos;
}

// What tells a changed file: an atomic replace makes a new inode, an append a new size.
using FileKey = std::tuple<unsigned long long, long long, long long, long long>;

FileKey keyOf(const fs::path &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {static_cast<unsigned long long>(st.st_ino), static_cast<long long>(st.st_size),
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
            static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec};
}

}  // namespace

void keepAccessRights(const fs::path &from, const fs::path &to)
{
    std::error_code ec;
    const fs::perms rights = fs::status(from, ec).permissions();
    if (!ec)
        fs::permissions(to, rights & fs::perms::mask, fs::perm_options::replace, ec);
}

Result<std::string> ensureEventId(const fs::path &folder)
{
    std::string id = readEventId(folder);
    if (!id.empty())
        return id;
    std::random_device device;
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < 32; ++i)
        id += digits[device() % 16];
    if (Status written = writeFileAtomic(folder / kEventIdFile, id + "\r\n"); !written)
        return written.error();
    return id;
}

std::string readEventId(const fs::path &folder)
{
    auto text = readFile(folder / kEventIdFile);
    return text ? trimBlanks(*text) : std::string();
}

CommitCount readCommitCount(const fs::path &folder)
{
    CommitCount c;
    if (auto settings = openSettings(folder)) {
        c.read = true;
        parseLongLong(settings->readString("Option", "commitcount"), c.count);
        c.listsActive = settings->readBool("Option", "commitlists", false);
    }
    return c;
}

namespace {

// Whether `inner` is `outer` or lies below it, after both are made canonical where they exist.
bool within(const fs::path &inner, const fs::path &outer)
{
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    const fs::path rel = a.lexically_relative(b);
    return !rel.empty() && *rel.begin() != "..";
}

Status refuse(const fs::path &candidate, const std::string &why, ErrorCode code = ErrorCode::BadInput)
{
    return makeError(code,
                     TSL_GBK("不能备份到“") + utf8ToGbk(candidate.string()) + TSL_GBK("”：") + why);
}

}  // namespace

Status prepareMirrorFolder(const fs::path &eventFolder, const fs::path &candidate)
{
    if (!candidate.is_absolute())
        return refuse(candidate, TSL_GBK("请选择一个完整的文件夹路径（例如U盘上的一个文件夹）。"));
    if (within(candidate, eventFolder))
        return refuse(candidate, TSL_GBK("它就是活动文件夹或在活动文件夹里面。请选择另一个磁盘（例如U盘）上的文件夹。"));
    if (within(eventFolder, candidate))
        return refuse(candidate, TSL_GBK("活动文件夹在它里面。请选择另一个磁盘（例如U盘）上的空文件夹。"));
    std::error_code ec;
    const fs::file_status status = fs::status(candidate, ec);
    if (fs::exists(status) && !fs::is_directory(status))
        return refuse(candidate, TSL_GBK("这是一个文件，不是文件夹。"));
    if (!fs::exists(status)) {
        if (!fs::is_directory(candidate.parent_path(), ec))
            return refuse(candidate, TSL_GBK("文件夹不存在，上一级文件夹也不存在。U盘是否已经插好？"));
    } else {
        const std::string ours = readEventId(eventFolder);
        const std::string theirs = readEventId(candidate);
        if (!theirs.empty() && theirs != ours)
            return refuse(candidate, TSL_GBK("这里是另一个活动的备份（活动编号 ") + theirs +
                                         TSL_GBK("），不能用作本活动的备份。请选择一个空文件夹。"));
        // An existing folder serves when it is empty or holds this event's mirror already.
        if (theirs.empty() && !fs::exists(candidate / kMirrorMarker, ec)) {
            fs::directory_iterator it(candidate, ec);
            if (ec)
                return refuse(candidate, TSL_GBK("文件夹无法读取：") + utf8ToGbk(ec.message()));
            if (it != fs::directory_iterator())
                return refuse(candidate, TSL_GBK("文件夹里已有别的文件。请选择一个空文件夹（例如在U盘上新建一个），"
                                                 "或本活动原有的备份文件夹。"));
        }
    }
    if (Status made = makeFolderDurable(candidate); !made)
        return refuse(candidate, made.error().message, ErrorCode::FileWrite);
    const fs::path probe = candidate / ".tessaly-write-probe";
    Status written = writeFileAtomic(probe, "ok\r\n");
    Status removed = removeFileDurable(probe);
    if (!written)
        return refuse(candidate, written.error().message, ErrorCode::FileWrite);
    if (!removed)
        return refuse(candidate, removed.error().message, ErrorCode::FileWrite);
    return Ok{};
}

struct EventMirror::Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool running = false;
    bool interrupted = false;
    std::string reason;
    std::map<std::string, FileKey> copied;  // what the mirror holds, as it was in the event folder
};

EventMirror::EventMirror(fs::path eventFolder, fs::path mirrorFolder, std::chrono::milliseconds limit)
    : m_event(std::move(eventFolder)), m_mirror(std::move(mirrorFolder)), m_limit(limit),
      m_shared(std::make_shared<Shared>())
{
}

EventMirror::~EventMirror()
{
    // A copy still hanging on a slow stick finishes on its own; it holds its own state.
    std::unique_lock lock(m_shared->mutex);
    m_shared->done.wait_for(lock, m_limit, [this] { return !m_shared->running; });
}

bool EventMirror::interrupted() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->interrupted;
}

std::string EventMirror::reason() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->reason;
}

namespace {

// One pass: every event file whose key changed is copied whole through the
// atomic replace, files gone from the event go from the mirror, and the
// commit counter comes last, so a mirror's counter never runs ahead of its files.
Status copyChanged(const fs::path &event, const fs::path &mirror, std::map<std::string, FileKey> &copied)
{
    const std::string ours = readEventId(event);
    const std::string theirs = readEventId(mirror);
    if (!theirs.empty() && theirs != ours)
        return makeError(ErrorCode::Inconsistent,
                         TSL_GBK("备份文件夹中是另一个活动的文件，不能用作本活动的备份：") + utf8ToGbk(mirror.string()));
    if (Status made = makeFolderDurable(mirror); !made)
        return made;
    std::error_code markEc;
    if (!fs::exists(mirror / kMirrorMarker, markEc)) {
        if (Status marked = writeFileAtomic(mirror / kMirrorMarker, "mirror of " + event.string() + "\r\n"); !marked)
            return marked;
    }
    std::map<std::string, FileKey> now;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(event, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        const std::string relative = it->path().lexically_relative(event).generic_string();
        if (ownedByTheRun(it->path().filename().string()) || !it->is_regular_file(typeEc))
            continue;
        now[relative] = keyOf(it->path());
    }
    if (ec)
        return makeError(ErrorCode::FileRead, TSL_GBK("无法读取活动文件夹：") + utf8ToGbk(ec.message()));
    std::string data;
    auto copyOne = [&](const std::string &relative, const FileKey &key) -> Status {
        auto at = copied.find(relative);
        if (at != copied.end() && at->second == key)
            return Ok{};
        if (Status read = readFileInto(event / relative, data); !read)
            return read;
        const fs::path target = mirror / relative;
        if (Status made = makeFolderDurable(target.parent_path()); !made)
            return made;
        // An owner-only folder (the seeds) is closed before its files arrive.
        if (target.parent_path() != mirror)
            keepAccessRights((event / relative).parent_path(), target.parent_path());
        if (Status written = writeFileAtomic(target, data); !written)
            return written;
        keepAccessRights(event / relative, target);
        copied[relative] = key;
        return Ok{};
    };
    for (const auto &[relative, key] : now) {
        if (relative == files::kSettings)
            continue;
        if (Status one = copyOne(relative, key); !one)
            return one;
    }
    std::vector<fs::path> gone;
    for (auto it = copied.begin(); it != copied.end();) {
        if (now.count(it->first)) {
            ++it;
            continue;
        }
        gone.push_back(mirror / it->first);
        it = copied.erase(it);
    }
    if (Status removed = removeFilesDurable(gone); !removed)
        return removed;
    if (auto counter = now.find(files::kSettings); counter != now.end())
        return copyOne(counter->first, counter->second);
    return Ok{};
}

}  // namespace

bool EventMirror::sync()
{
    std::shared_ptr<Shared> shared = m_shared;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->running) {
            // The last copy still hangs on the stick: the draw does not wait for it again.
            shared->interrupted = true;
            return false;
        }
        shared->running = true;
    }
    std::thread([shared, event = m_event, mirror = m_mirror] {
        std::map<std::string, FileKey> copied;
        {
            std::lock_guard lock(shared->mutex);
            copied = shared->copied;
        }
        Status status = copyChanged(event, mirror, copied);
        std::lock_guard lock(shared->mutex);
        shared->copied = std::move(copied);  // what did get through is not copied again
        shared->running = false;
        shared->interrupted = !status.ok();
        shared->reason = status.ok() ? std::string() : status.error().message;
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, m_limit, [&] { return !shared->running; })) {
        shared->interrupted = true;
        shared->reason = TSL_GBK("备份文件夹在") + std::to_string(m_limit.count() / 1000) +
                         TSL_GBK("秒内没有写完：") + utf8ToGbk(m_mirror.string());
        return false;
    }
    return !shared->interrupted;
}

}  // namespace tessaly
