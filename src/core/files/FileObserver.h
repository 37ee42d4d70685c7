// A window on the file layer's smallest steps (a write, a flush, a rename):
// the tests record them to rebuild what a power cut could leave behind, and
// make them fail as a removed or full disk would.
#pragma once

#include <filesystem>
#include <string>

namespace tessaly {

struct FileStep {
    enum class Kind {
        Write,        // bytes at offset of path; a missing file is created
        Truncate,     // path cut or grown to offset bytes
        Rename,       // path over target
        Remove,       // path unlinked
        FlushFile,    // path's data and size on disk
        FlushFolder,  // the names in folder path on disk
        MakeFolder,   // folder path created
    };
    Kind kind = Kind::Write;
    std::filesystem::path path;
    std::filesystem::path target;
    long long offset = 0;
    std::string bytes;
};

class FileObserver {
public:
    virtual ~FileObserver() = default;
    // Before the step: a non-zero errno makes it fail with that error.
    virtual int before(const FileStep &) { return 0; }
    // After the step succeeded.
    virtual void made(const FileStep &) {}
};

// One observer for the whole process, or nullptr. Steps of several threads
// reach it one at a time. Only tests set it.
void setFileObserver(FileObserver *observer);

}  // namespace tessaly
