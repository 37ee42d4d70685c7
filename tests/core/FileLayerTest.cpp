// Every change the program makes to an event folder goes through the file
// layer, so the crash-state explorer and the mirror see all of them: a write
// that went around it (a stream, a library's own copy, a folder made directly)
// shows up here as a change nobody recorded.
#include "DrawFixtures.h"

#include "core/event/Backup.h"
#include "core/files/FileIo.h"
#include "core/files/FileObserver.h"
#include "core/participants/ListTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>

using namespace tessaly;
using namespace tessaly::test;
namespace fs = std::filesystem;

namespace {

// The paths the file layer's steps named.
class Touched : public FileObserver {
public:
    Touched() { setFileObserver(this); }
    ~Touched() override { setFileObserver(nullptr); }
    void made(const FileStep &step) override
    {
        std::lock_guard lock(m_mutex);
        paths.insert(step.path.lexically_normal().string());
        if (!step.target.empty())
            paths.insert(step.target.lexically_normal().string());
    }
    std::set<std::string> paths;

private:
    std::mutex m_mutex;
};

// Each file's bytes and each folder (as an empty text marked "/").
std::map<std::string, std::string> snapshot(const fs::path &folder)
{
    std::map<std::string, std::string> out;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().lexically_normal().string();
        if (entry.is_directory())
            out[path] = "/";
        else if (auto bytes = readFile(entry.path()))
            out[path] = *bytes;
    }
    return out;
}

}  // namespace

TEST(FileLayer, EveryChangeOfTheDrawsOperationsGoesThroughIt)
{
    struct Case {
        const char *what;
        std::function<void(DrawFolder &, Program &)> act;
    };
    const Case cases[] = {
        {"a stop", [](DrawFolder &, Program &p) { p.batch(); }},
        {"a give-up", [](DrawFolder &, Program &p) { p.session.GiveUp(0, 0, true); }},
        {"a restart keeping a backup", [](DrawFolder &, Program &p) { p.session.Restart(); }},
        {"the winners file", [](DrawFolder &, Program &p) { p.session.WriteWinnersFile(); }},
        {"a list save", [](DrawFolder &d, Program &) { ASSERT_TRUE(saveParticipantList(d.path(), {"A", "B", "C"}).ok()); }},
        {"backups beyond the kept number pruned",
         [](DrawFolder &d, Program &) {
             for (int i = 0; i < kKeptBackups + 2; ++i)
                 ASSERT_TRUE(makeBackup(d.path(), {2026, 12, 10, 14, i, 0}).ok());
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DrawFolder dir(20, {{"一等奖", 4, 2, "2+2"}});
        Program program(dir);
        program.batch();
        const auto before = snapshot(dir.path());
        Touched touched;
        c.act(dir, program);
        const auto after = snapshot(dir.path());
        std::set<std::string> changed;
        for (const auto &[path, bytes] : after)
            if (auto was = before.find(path); was == before.end() || was->second != bytes)
                changed.insert(path);
        for (const auto &[path, bytes] : before)
            if (!after.count(path))
                changed.insert(path);
        EXPECT_FALSE(changed.empty()) << "the operation changed nothing";
        for (const std::string &path : changed)
            EXPECT_TRUE(touched.paths.count(path)) << "changed outside the file layer: " << path;
    }
}
