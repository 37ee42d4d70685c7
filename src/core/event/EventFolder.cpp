#include "event/EventFolder.h"

#include "proof/DrawProof.h"
#include "files/FileIo.h"

#include "settings/ProgramFiles.h"
#include "text/Gbk.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessaly {
namespace fs = std::filesystem;

namespace {

Error usageError(const std::string &text)
{
    return makeError(ErrorCode::BadInput, text);
}

bool isOption(const std::string &arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

std::string gbkPath(const fs::path &path)
{
    return utf8ToGbk(path.string());
}

// Options shared by every command: the value after an option that takes one.
Result<std::string> optionValue(const std::vector<std::string> &args, size_t &i)
{
    if (i + 1 >= args.size() || args[i + 1].empty())
        return usageError("option " + args[i] + " needs a value");
    return args[++i];
}

}  // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string> &args)
{
    CommandLine line;
    size_t i = 0;
    if (!args.empty() && !isOption(args[0])) {
        const std::string &word = args[0];
        if (word == "check")
            line.command = CommandLine::Command::Check;
        else if (word == "export")
            line.command = CommandLine::Command::Export;
        else if (word == "import")
            line.command = CommandLine::Command::Import;
        else if (word == "reveal")
            line.command = CommandLine::Command::Reveal;
        else if (word == "verify")
            line.command = CommandLine::Command::Verify;
        else if (word == "export-proof")
            line.command = CommandLine::Command::ExportProof;
        else if (word == "restore-backup")
            line.command = CommandLine::Command::RestoreBackup;
        else if (word == "cards")
            line.command = CommandLine::Command::Cards;
        else if (word == "links")
            line.command = CommandLine::Command::Links;
        else
            return usageError("unknown command: " + word);
        i = 1;
    }
    std::vector<std::string> positional;
    for (; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.command = CommandLine::Command::Help;
            return line;
        }
        if (arg == "--version") {
            line.command = CommandLine::Command::Version;
            return line;
        }
        if (arg == "--folder") {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            line.folder = fs::path(*value);
        } else if (arg == "--mirror" && line.command == CommandLine::Command::Run) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            line.mirror = fs::path(*value);
        } else if (arg == "--stage-screen" && line.command == CommandLine::Command::Run) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            line.stageScreen = *value;
        } else if (arg == "--console" && line.command == CommandLine::Command::Run) {
            line.console = true;
        } else if (arg == "--rehearse" && line.command == CommandLine::Command::Run) {
            line.rehearse = true;
            if (i + 1 < args.size() && !isOption(args[i + 1]))
                line.folder = fs::path(args[++i]);
        } else if (arg == "--format" && line.command == CommandLine::Command::Export) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            if (*value != "txt" && *value != "csv" && *value != "xlsx")
                return usageError("--format takes txt, csv or xlsx, not " + *value);
            line.format = *value;
        } else if (arg == "--web" && line.command == CommandLine::Command::Run) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            line.web = *value;
        } else if (arg == "--base" && line.command == CommandLine::Command::Links) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            line.base = *value;
        } else if (arg == "-o" && (line.command == CommandLine::Command::Export || line.command == CommandLine::Command::Cards ||
                                   line.command == CommandLine::Command::Links ||
                                   line.command == CommandLine::Command::ExportProof)) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            line.output = *value;
        } else if ((arg == "--rows" || arg == "--cols") && line.command == CommandLine::Command::Import) {
            auto value = optionValue(args, i);
            if (!value)
                return value.error();
            (arg == "--rows" ? line.rows : line.cols) = *value;
        } else if (arg == "--sep" && line.command == CommandLine::Command::Import) {
            if (i + 1 >= args.size())
                return usageError("option --sep needs a value");
            line.separator = args[++i];
        } else if (arg == "--reset" && line.command == CommandLine::Command::Import) {
            line.reset = true;
        } else if (isOption(arg)) {
            return usageError("unknown option: " + arg);
        } else {
            positional.push_back(arg);
        }
    }

    switch (line.command) {
    case CommandLine::Command::Run:
        if (!positional.empty())
            return usageError("unexpected argument: " + positional.front());
        break;
    case CommandLine::Command::Check:
    case CommandLine::Command::Export:
    case CommandLine::Command::Reveal:
    case CommandLine::Command::ExportProof:
    case CommandLine::Command::Cards:
    case CommandLine::Command::Links:
        if (positional.size() > 1)
            return usageError("unexpected argument: " + positional[1]);
        if (!positional.empty())
            line.folder = fs::path(positional.front());
        if (line.command != CommandLine::Command::Check && line.command != CommandLine::Command::Reveal && line.output.empty())
            return usageError(std::string(line.command == CommandLine::Command::Export  ? "export"
                                          : line.command == CommandLine::Command::ExportProof ? "export-proof"
                                          : line.command == CommandLine::Command::Cards ? "cards"
                                                                                        : "links") +
                              " needs -o FILE");
        break;
    case CommandLine::Command::Verify:
        if (positional.size() > 1)
            return usageError("unexpected argument: " + positional[1]);
        if (!positional.empty())
            line.input = positional.front();
        break;
    case CommandLine::Command::Import:
        if (positional.empty())
            return usageError("import needs the FILE to read");
        if (positional.size() > 2)
            return usageError("unexpected argument: " + positional[2]);
        line.input = positional[0];
        if (positional.size() == 2)
            line.folder = fs::path(positional[1]);
        break;
    case CommandLine::Command::RestoreBackup:
        if (positional.empty())
            return usageError("restore-backup needs the NAME of a backup");
        if (positional.size() > 2)
            return usageError("unexpected argument: " + positional[2]);
        line.backupName = positional.back();
        if (positional.size() == 2)
            line.folder = fs::path(positional[0]);
        break;
    case CommandLine::Command::Help:
    case CommandLine::Command::Version:
        break;
    }
    return line;
}

std::string usageText()
{
    return "Usage:\n"
           "  tessaly [--folder DIR]            start the stage on an event folder\n"
           "  tessaly --rehearse [DIR]          rehearse on a throw-away copy of the event folder\n"
           "  tessaly [--folder DIR] --web ADDRESS:PORT\n"
           "                                    serve check-in and winners pages to phones\n"
           "      --stage-screen NAME|N         the stage on this screen (name or number from 1) for this run\n"
           "      --console                     the operator console also with one screen\n"
           "      --mirror DIR                  copy every save to DIR as well (a USB stick)\n"
           "  tessaly check [DIR]               check an event folder before the event\n"
           "  tessaly export [DIR] --format txt|csv|xlsx -o FILE\n"
           "                                    write the winners for the office\n"
           "  tessaly import FILE [DIR] [--rows A-B] [--cols C-D] [--sep TEXT] [--reset]\n"
           "                                    replace the participant list from a text,\n"
           "                                    .csv, .xls or .xlsx file\n"
           "  tessaly reveal [DIR]              reveal the draw's seeds; no more batches until a restart\n"
           "  tessaly verify [DIR | proof.zip]  recompute the draw from its proof (exit 0 all matches,\n"
           "                                    3 matches but some award was touched, 1 mismatch)\n"
           "  tessaly export-proof [DIR] -o proof.zip\n"
           "                                    the proof bundle for witnesses (after the reveal)\n"
           "  tessaly restore-backup [DIR] NAME bring back a backup kept under 备份/ before\n"
           "                                    a reset or a list change (NAME: its date)\n"
           "  tessaly cards [DIR] -o FILE.pdf   print the check-in cards, 8 to a page\n"
           "  tessaly links [DIR] [--base http://ADDRESS:PORT] -o FILE.xlsx|FILE.csv\n"
           "                                    the check-in codes (and links) for the office\n"
           "\n"
           "Without DIR: the program's own folder when it holds set.dat (a portable copy),\n"
           "otherwise $XDG_DATA_HOME/tessaly (~/.local/share/tessaly), made from the template.\n";
}

bool holdsEvent(const fs::path &folder)
{
    std::error_code ec;
    for (const char *name : {files::kSettings, files::kParticipants, files::kRecord}) {
        if (!fs::is_regular_file(folder / name, ec))
            return false;
    }
    return true;
}

fs::path findTemplateDir(const fs::path &executableDir)
{
    // The same place in an installed tree (<prefix>/bin, <prefix>/share) and in
    // the build tree (build/tessaly, build/share), which keeps an untouched copy
    // of the shipped files beside the program folder it runs from.
    return executableDir.parent_path() / "share" / "tessaly" / "template";
}

Status checkWritable(const fs::path &folder)
{
    const fs::path probe = folder / ".tessaly-write-probe";
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = errno;
    if (fd >= 0) {
        bool wrote = ::write(fd, "ok", 2) == 2;
        err = errno;
        bool synced = ::fsync(fd) == 0;
        if (!synced)
            err = errno;
        ::close(fd);
        ::unlink(probe.c_str());
        if (wrote && synced)
            return Ok{};
    }
    std::string msg = TSL_GBK("活动文件夹不能写入：");
    msg += gbkPath(folder);
    msg += " (";
    msg += utf8ToGbk(std::strerror(err));
    msg += ")\r\n";
    msg += TSL_GBK("抽奖结果无法保存，所以不能在这里抽奖。请把整个程序文件夹复制到可以写入的位置（如硬盘），"
                   "或者用 --folder 指定一个可以写入的活动文件夹。");
    return makeError(ErrorCode::FileWrite, std::move(msg));
}

Result<FolderChoice> chooseEventFolder(const FolderInputs &inputs)
{
    FolderChoice choice;
    if (inputs.folderArgument) {
        std::error_code ec;
        choice.folder = fs::absolute(*inputs.folderArgument, ec);
        if (ec)
            choice.folder = *inputs.folderArgument;
        choice.needsTemplate = !holdsEvent(choice.folder);
        return choice;
    }
    if (holdsEvent(inputs.executableDir)) {
        // A portable copy that cannot be written (a read-only stick) is named
        // to the operator rather than swapped silently for another folder.
        Status writable = checkWritable(inputs.executableDir);
        if (!writable)
            return writable.error();
        choice.folder = inputs.executableDir;
        choice.portable = true;
        return choice;
    }
    fs::path base;
    if (!inputs.xdgDataHome.empty() && fs::path(inputs.xdgDataHome).is_absolute())
        base = inputs.xdgDataHome;
    else if (!inputs.home.empty())
        base = fs::path(inputs.home) / ".local" / "share";
    else
        return makeError(ErrorCode::FileMissing,
                         TSL_GBK("找不到用户的数据文件夹（没有设置 HOME），请用 --folder 指定活动文件夹。"));
    choice.folder = base / "tessaly";
    choice.needsTemplate = !holdsEvent(choice.folder);
    return choice;
}

Result<int> fillFromTemplate(const fs::path &templateDir, const fs::path &folder)
{
    std::error_code ec;
    if (!fs::is_regular_file(templateDir / files::kSettings, ec))
        return makeError(ErrorCode::FileMissing,
                         TSL_GBK("找不到软件自带的活动模板：") + gbkPath(templateDir) + TSL_GBK("，请重新安装。"));
    if (Status made = makeFolderDurable(folder); !made)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法建立活动文件夹 ") + gbkPath(folder) + " (" +
                                                   made.error().message + ")");
    // The executable and the build's own files are not part of an event, and
    // a file the folder holds already is never replaced.
    auto copied = copyFolderDurable(templateDir, folder, [&](const fs::path &relative) {
        const std::string first = relative.begin()->string();
        std::error_code existsEc;
        return first != "tessaly" && first != kLockFileName &&
               (fs::is_directory(templateDir / relative, existsEc) || !fs::exists(folder / relative, existsEc));
    });
    if (!copied)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法从模板建立活动文件夹 ") + gbkPath(folder) + " (" +
                                                   copied.error().message + ")");
    return *copied;
}

Result<fs::path> makeRehearsalCopy(const fs::path &eventFolder)
{
    std::error_code ec;
    // Copies left by a rehearsal that was killed are removed once nobody holds them.
    for (const auto &entry : fs::directory_iterator(fs::temp_directory_path(ec), ec)) {
        if (entry.path().filename().string().rfind("tessaly-rehearsal-", 0) != 0)
            continue;
        auto lock = EventLock::acquire(entry.path());
        if (lock.ok()) {
            *lock = EventLock();
            removeRehearsalCopy(entry.path());
        }
    }
    fs::path pattern = fs::temp_directory_path(ec) / "tessaly-rehearsal-XXXXXX";
    std::string buffer = pattern.string();
    if (ec || ::mkdtemp(buffer.data()) == nullptr)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法建立彩排用的临时文件夹。"));
    const fs::path copy = buffer;
    auto copied = copyFolderDurable(eventFolder, copy, [&](const fs::path &relative) {
        std::error_code linkEc;
        // The event's seeds and its audit chain stay behind: a rehearsal draws
        // under a commitment of its own and can never reveal the real one.
        const std::string top = relative.begin() == relative.end() ? std::string() : relative.begin()->string();
        return relative != kLockFileName && top != kProofFolder && top != kAuditLog &&
               !fs::is_symlink(eventFolder / relative, linkEc);
    });
    if (!copied) {
        removeRehearsalCopy(copy);
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法复制活动文件夹用于彩排：") + gbkPath(eventFolder) + " (" +
                                                   copied.error().message + ")");
    }
    return copy;
}

bool isRehearsalCopy(const fs::path &folder)
{
    return folder.filename().string().rfind("tessaly-rehearsal-", 0) == 0;
}

void removeRehearsalCopy(const fs::path &copy)
{
    if (!isRehearsalCopy(copy))
        return;
    std::error_code ec;
    fs::remove_all(copy, ec);
}

EventLock::EventLock(EventLock &&other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

EventLock &EventLock::operator=(EventLock &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

EventLock::~EventLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Result<EventLock> EventLock::acquire(const fs::path &folder)
{
    const fs::path file = folder / kLockFileName;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法在活动文件夹中建立锁文件：") + gbkPath(file) + " (" +
                                                   utf8ToGbk(std::strerror(errno)) + ")");
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return makeError(ErrorCode::BadInput,
                             TSL_GBK("另一个抽奖程序正在使用这个活动文件夹：") + gbkPath(folder) + "\r\n" +
                                 TSL_GBK("两个程序同时抽奖会互相覆盖抽奖记录。请先关闭另一个程序，"
                                         "或者用 --folder 打开另一个活动文件夹。"));
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法锁定活动文件夹：") + gbkPath(folder) + " (" +
                                                   utf8ToGbk(std::strerror(err)) + ")");
    }
    // The holder's process number, for a person who looks at the file.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] ssize_t n = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    return EventLock(fd);
}

}  // namespace tessaly

namespace tessaly {

EventFolderSession::~EventFolderSession()
{
    if (m_rehearsal && !m_folder.empty()) {
        m_lock = EventLock();
        removeRehearsalCopy(m_folder);
    }
}

Result<EventFolderSession> EventFolderSession::open(const FolderInputs &inputs, bool rehearse)
{
    auto choice = chooseEventFolder(inputs);
    if (!choice)
        return choice.error();
    EventFolderSession session;
    session.m_eventFolder = choice->folder;
    if (choice->needsTemplate) {
        auto filled = fillFromTemplate(inputs.templateDir, choice->folder);
        if (!filled)
            return filled.error();
        session.m_filled = *filled;
    }
    if (!rehearse) {
        Status writable = checkWritable(choice->folder);
        if (!writable)
            return writable.error();
        auto lock = EventLock::acquire(choice->folder);
        if (!lock)
            return lock.error();
        session.m_lock = std::move(*lock);
        session.m_folder = choice->folder;
        return session;
    }
    // A rehearsal reads the real folder once and never writes to it.
    auto copy = makeRehearsalCopy(choice->folder);
    if (!copy)
        return copy.error();
    session.m_folder = *copy;
    session.m_rehearsal = true;
    auto lock = EventLock::acquire(*copy);
    if (!lock)
        return lock.error();
    session.m_lock = std::move(*lock);
    return session;
}

}  // namespace tessaly
