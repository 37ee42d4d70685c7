// Whole-file reads, atomic whole-file replaces and durable appends: the only
// ways the core touches the disk.
#pragma once

#include "Result.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

Result<std::string> readFile(const std::filesystem::path &path);

// The same read into a buffer the caller keeps between files, so reading many
// files in a row allocates once (the photo load reads thousands).
Status readFileInto(const std::filesystem::path &path, std::string &data);

// Writes a temporary file in the same folder, flushes it to disk and renames it
// over the target, so a crash leaves either the old or the new file whole.
Status writeFileAtomic(const std::filesystem::path &path, std::string_view bytes);

// Appends and flushes to disk before returning; creates the file when missing.
Status appendFileDurable(const std::filesystem::path &path, std::string_view bytes);

// Cuts a file back to `length` bytes and flushes it to disk.
Status truncateFileDurable(const std::filesystem::path &path, long long length);

// The last byte of a file; nothing when it is empty, missing or unreadable.
std::optional<char> lastByteOf(const std::filesystem::path &path);

// Removes a file and flushes its folder, so the removal survives a crash; a
// missing file is no error.
Status removeFileDurable(const std::filesystem::path &path);

// Copies a file over another through the same atomic replace.
Status copyFileAtomic(const std::filesystem::path &from, const std::filesystem::path &to);

// Removes temporary files an interrupted atomic write left in the folder.
void removeStaleTemporaries(const std::filesystem::path &folder);

// Creates a folder and the folders above it that are missing, each made
// durable in its parent.
Status makeFolderDurable(const std::filesystem::path &folder);

// Removes files and flushes their folders once at the end; missing files are no error.
Status removeFilesDurable(const std::vector<std::filesystem::path> &paths);

// Removes a folder tree, files first and folders from the deepest up, each
// folder flushed once emptied and the folder that held it at the end; a
// missing folder is no error.
Status removeFolderDurable(const std::filesystem::path &folder);

// Many files replaced atomically with one flush: each is written to a
// temporary file as it comes (from several threads if need be), and commit
// flushes them all at once, renames each over its target and flushes the
// folders. A crash leaves every target old or new and whole. Temporaries not
// committed are removed when the object goes.
class StagedFiles {
public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles &) = delete;
    StagedFiles &operator=(const StagedFiles &) = delete;
    ~StagedFiles();

    Status stage(const std::filesystem::path &target, std::string_view bytes);
    Status commit();
    size_t size() const;

private:
    struct Staged {
        std::filesystem::path temporary, target;
    };
    mutable std::mutex m_mutex;
    std::vector<Staged> m_staged;
};

// Copies the files of a folder tree into another, creating folders as needed,
// through one StagedFiles. `copy` says which files (relative paths) to take.
Result<int> copyFolderDurable(const std::filesystem::path &from, const std::filesystem::path &to,
                              const std::function<bool(const std::filesystem::path &relative)> &copy);

}  // namespace tessaly
