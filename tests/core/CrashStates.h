// What a power cut could leave of a program folder: the file layer's steps of
// one operation are recorded, and for every prefix of them the disk states
// that a cut at that instant allows are built. Unflushed data of a file is
// dropped, kept, or cut at a 512-byte boundary; an unflushed rename, removal
// or creation is kept or undone; files go their own ways, so unflushed steps
// on different files land in either order.
#pragma once

#include "core/files/FileObserver.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tessaly::test {

using FolderState = std::map<std::string, std::string>;  // relative path -> bytes

// Every file under a folder, by relative path (generic form).
FolderState readFolderState(const std::filesystem::path &folder);

// Makes `folder` hold exactly `state` (other files removed).
void writeFolderState(const std::filesystem::path &folder, const FolderState &state);

// Records the steps made inside one folder, with paths relative to it.
class StepRecorder : public FileObserver {
public:
    explicit StepRecorder(std::filesystem::path folder);
    ~StepRecorder() override;
    void made(const FileStep &step) override;
    const std::vector<FileStep> &steps() const { return m_steps; }

private:
    std::filesystem::path m_folder;
    std::vector<FileStep> m_steps;
};

class CrashModel {
public:
    explicit CrashModel(const FolderState &start);
    void apply(const FileStep &step);

    // The states a power cut right now could leave, each once; at most `cap`
    // of them (the all-dropped and all-kept states always among them, the
    // rest drawn with `random` when there are more).
    std::vector<FolderState> crashStates(size_t cap, std::mt19937_64 &random) const;

private:
    struct Inode {
        std::string durable, current;
    };
    struct NameStep {
        enum Kind { Create, Rename, Remove } kind;
        std::string dir, path, target;
        int inode = -1;
    };
    static void applyName(std::map<std::string, int> &names, const NameStep &step);
    FolderState materialise(const std::map<std::string, int> &names, const std::vector<int> &dataChoice,
                            const std::vector<int> &dirty) const;
    std::vector<std::string> dataOptions(const Inode &inode, int choice) const;

    std::vector<Inode> m_inodes;
    std::map<std::string, int> m_durableNames, m_currentNames;
    std::vector<NameStep> m_pendingNames;
};

}  // namespace tessaly::test
