// The event folder: which folder a start uses, the template, the lock against a
// second copy, the rehearsal copy, and the command line.
#include "DrawFixtures.h"

#include "core/event/EventFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessaly::test {
namespace {
namespace fs = std::filesystem;

void makeTemplate(const TempProgramDir &dir)
{
    dir.write("share/tessaly/template/set.dat", "[Option]\r\nLucks=0\r\n");
    dir.write("share/tessaly/template/data.txt", "P0\r\n");
    dir.write("share/tessaly/template/ARecord.dat", "");
    dir.write("share/tessaly/template/img/0.jpg", "picture");
}

std::map<std::string, std::string> snapshot(const fs::path &root)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), root).string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

TEST(EventFolder, ChoiceFollowsTheExecutableTheArgumentAndTheUsersDataFolder)
{
    TempProgramDir root;
    makeTemplate(root);
    root.write("portable/set.dat", "[Option]\r\n");
    root.write("portable/data.txt", "");
    root.write("portable/ARecord.dat", "");
    fs::create_directories(root / "bin");
    fs::create_directories(root / "filled");
    for (const char *name : {"set.dat", "data.txt", "ARecord.dat"})
        root.write(std::string("filled/") + name, "");

    struct Case {
        const char *what;
        std::string exe, xdg, home;
        std::optional<fs::path> argument;
        fs::path expected;
        bool portable, needsTemplate;
    } cases[] = {
        {"portable copy beside the executable", "portable", "", "/home/x", {}, root / "portable", true, false},
        {"installed: XDG data home", "bin", (root / "xdg").string(), "/home/x", {}, root / "xdg/tessaly", false, true},
        {"installed: no XDG, home", "bin", "", (root / "home").string(), {}, root / "home/.local/share/tessaly", false,
         true},
        {"a relative XDG value is ignored", "bin", "relative", (root / "home").string(), {},
         root / "home/.local/share/tessaly", false, true},
        {"--folder on a new folder", "portable", "", "/home/x", root / "new", root / "new", false, true},
        {"--folder on an event folder", "bin", "", "/home/x", root / "filled", root / "filled", false, false},
    };
    for (const auto &c : cases) {
        FolderInputs inputs{root / c.exe, root / "share/tessaly/template", c.xdg, c.home, c.argument};
        auto choice = chooseEventFolder(inputs);
        ASSERT_TRUE(choice.ok()) << c.what;
        EXPECT_EQ(choice->folder, c.expected) << c.what;
        EXPECT_EQ(choice->portable, c.portable) << c.what;
        EXPECT_EQ(choice->needsTemplate, c.needsTemplate) << c.what;
    }
    EXPECT_EQ(findTemplateDir(root / "bin"), root / "share/tessaly/template");
}

TEST(EventFolder, NewFolderIsFilledFromTheTemplateWithoutOverwriting)
{
    TempProgramDir root;
    makeTemplate(root);
    root.write("event/data.txt", "Mine\r\n");
    auto copied = fillFromTemplate(root / "share/tessaly/template", root / "event");
    ASSERT_TRUE(copied.ok());
    EXPECT_EQ(*copied, 3);
    EXPECT_EQ(root.read("event/data.txt"), "Mine\r\n");
    EXPECT_EQ(root.read("event/img/0.jpg"), "picture");
    EXPECT_TRUE(holdsEvent(root / "event"));

    auto missing = fillFromTemplate(root / "nowhere", root / "other");
    EXPECT_EQ(missing.code(), ErrorCode::FileMissing);
}

TEST(EventFolder, ReadOnlyFolderIsNamedAndRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempProgramDir root;
    for (const char *name : {"set.dat", "data.txt", "ARecord.dat"})
        root.write(std::string("stick/") + name, "");
    fs::permissions(root / "stick", fs::perms::owner_read | fs::perms::owner_exec);
    FolderInputs inputs{root / "stick", root / "template", "", "/home/x", {}};
    auto choice = chooseEventFolder(inputs);
    fs::permissions(root / "stick", fs::perms::owner_all);
    ASSERT_FALSE(choice.ok());
    EXPECT_EQ(choice.code(), ErrorCode::FileWrite);
    EXPECT_NE(choice.error().message.find((root / "stick").string()), std::string::npos);
}

TEST(EventFolder, UnwritableFolderIsRefusedWithItsName)
{
    // A path below a regular file can never be written, even by root.
    TempProgramDir root;
    root.write("file", "x");
    Status status = checkWritable(root / "file" / "sub");
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().message.find((root / "file" / "sub").string()), std::string::npos);
    EXPECT_TRUE(checkWritable(root.path()).ok());
}

TEST(EventFolder, SecondCopyIsRefusedUntilTheFirstLetsGo)
{
    TempProgramDir root;
    {
        auto first = EventLock::acquire(root.path());
        ASSERT_TRUE(first.ok());
        auto second = EventLock::acquire(root.path());
        ASSERT_FALSE(second.ok());
        EXPECT_EQ(second.code(), ErrorCode::BadInput);
        EXPECT_NE(second.error().message.find(G("另一个抽奖程序")), std::string::npos);
    }
    // The lock file stays behind, as after a crash, and does not block a start.
    EXPECT_TRUE(root.exists(kLockFileName));
    EXPECT_TRUE(EventLock::acquire(root.path()).ok());
}

TEST(EventFolder, LockHeldByAnotherProcessIsSeenAndDiesWithIt)
{
    TempProgramDir root;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        auto lock = EventLock::acquire(root.path());
        char c = lock.ok() ? 'y' : 'n';
        [[maybe_unused]] auto n = ::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_FALSE(EventLock::acquire(root.path()).ok());
    ::kill(child, SIGKILL);  // a crash
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(EventLock::acquire(root.path()).ok());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(EventFolder, RehearsalLeavesTheRealFolderByteForByteUnchanged)
{
    DrawFolder real(40, {{"一等奖", 2, 1, "2"}, {"二等奖", 6, 2, "3+3"}});
    TempProgramDir root;
    const auto before = snapshot(real.path());
    fs::path copyPath;
    {
        FolderInputs inputs{root / "bin", root / "template", "", "/home/x", real.path()};
        auto event = EventFolderSession::open(inputs, true);
        ASSERT_TRUE(event.ok());
        EXPECT_TRUE(event->rehearsal());
        EXPECT_EQ(event->eventFolder(), real.path());
        copyPath = event->folder();
        EXPECT_NE(copyPath, real.path());

        FixedClock clock;
        MtRandom random(3);
        DrawSession session(copyPath, random, clock);
        session.FormCreate(false);
        session.FormShow("1024*768");
        for (int i = 0; i < 3; ++i) {
            if (!session.flags().BatchReady)
                session.FormKeyUp(kSpace);
            session.FormKeyUp(kSpace);
            session.Timer1Timer();
            session.FormKeyUp(kSpace);
        }
        std::ifstream in(copyPath / "ARecord.dat", std::ios::binary);
        EXPECT_FALSE(std::string(std::istreambuf_iterator<char>(in), {}).empty()) << "the rehearsal drew";
    }
    EXPECT_EQ(snapshot(real.path()), before);
    EXPECT_FALSE(fs::exists(copyPath)) << "the rehearsal copy is thrown away";

    // A rehearsal that was killed leaves its copy; the next rehearsal removes it.
    auto left = makeRehearsalCopy(real.path());
    ASSERT_TRUE(left.ok());
    auto next = makeRehearsalCopy(real.path());
    ASSERT_TRUE(next.ok());
    EXPECT_FALSE(fs::exists(*left));
    EXPECT_TRUE(fs::exists(*next));
    removeRehearsalCopy(*next);
}

TEST(CommandLine, ParsesEveryCommandAndRefusesWhatItDoesNotKnow)
{
    using C = CommandLine::Command;
    struct Case {
        std::vector<std::string> args;
        bool ok;
        C command;
        std::string folder;
    } cases[] = {
        {{}, true, C::Run, ""},
        {{"--folder", "/e"}, true, C::Run, "/e"},
        {{"--rehearse"}, true, C::Run, ""},
        {{"--rehearse", "/e"}, true, C::Run, "/e"},
        {{"check"}, true, C::Check, ""},
        {{"check", "/e"}, true, C::Check, "/e"},
        {{"export", "/e", "--format", "csv", "-o", "out.csv"}, true, C::Export, "/e"},
        {{"export", "--format", "pdf", "-o", "x"}, false, C::Run, ""},
        {{"export", "/e"}, false, C::Run, ""},
        {{"import", "list.xlsx", "/e", "--rows", "2-100", "--cols", "1-2", "--sep", " ", "--reset"}, true, C::Import,
         "/e"},
        {{"import"}, false, C::Run, ""},
        {{"--folder"}, false, C::Run, ""},
        {{"--bogus"}, false, C::Run, ""},
        {{"stray"}, false, C::Run, ""},
        {{"check", "--help"}, true, C::Help, ""},
        {{"--stage-screen", "2", "--console", "--folder", "/e"}, true, C::Run, "/e"},
        {{"--stage-screen"}, false, C::Run, ""},
        {{"check", "--console"}, false, C::Run, ""},
    };
    for (const auto &c : cases) {
        auto line = parseCommandLine(c.args);
        std::string joined;
        for (const auto &a : c.args)
            joined += a + " ";
        ASSERT_EQ(line.ok(), c.ok) << joined;
        if (!c.ok)
            continue;
        EXPECT_EQ(line->command, c.command) << joined;
        EXPECT_EQ(line->folder ? line->folder->string() : "", c.folder) << joined;
    }
    auto import = parseCommandLine({"import", "a.csv", "--rows", "2-9", "--sep", ",", "--reset"});
    ASSERT_TRUE(import.ok());
    EXPECT_EQ(import->input, "a.csv");
    EXPECT_EQ(import->rows, "2-9");
    EXPECT_EQ(*import->separator, ",");
    EXPECT_TRUE(import->reset);
    auto screens = parseCommandLine({"--stage-screen", "HDMI-1", "--console"});
    ASSERT_TRUE(screens.ok());
    EXPECT_EQ(*screens->stageScreen, "HDMI-1");
    EXPECT_TRUE(screens->console);
}

}  // namespace
}  // namespace tessaly::test
