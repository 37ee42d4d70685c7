// Bringing participant photos into photo\ of the program folder: from a folder
// or one file, copied as they are or converted to a fixed size, the
// conversions spread over the processor's cores.
#pragma once

#include "Result.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessaly {

// The *.jpg files of a folder (the extension in any letter case), folders skipped.
std::vector<std::filesystem::path> listJpegFiles(const std::filesystem::path &folder);

// The program's photo folder.
std::filesystem::path photoFolder(const std::filesystem::path &programDir);

// The pictures whose names cannot be entries of the list (native names): a
// "|" of their own or a character GBK cannot store.
std::vector<std::string> unfitPhotoNames(const std::vector<std::filesystem::path> &files);

// Deletes every *.jpg of photo\ (other files stay).
Status clearPhotoFolder(const std::filesystem::path &programDir);

// Copies the pictures into photo\ under their own names, replacing, creating
// the folder when needed; stops at the first failure.
Status copyPhotos(const std::vector<std::filesystem::path> &files, const std::filesystem::path &programDir);

struct PhotoConvertFailure {
    std::filesystem::path source;
    std::string message;  // GBK
};

// Decodes each picture (scaled down by the decoder where it can), stretches
// it to width by height and saves it as JPEG in photo\ under its own name.
// threads: 0 for one per core. progress is called on the calling thread with
// the number of pictures done, often enough to keep a window painting.
// Returns the pictures that failed, in the order given.
std::vector<PhotoConvertFailure> convertPhotos(const std::vector<std::filesystem::path> &files,
                                        const std::filesystem::path &programDir, int width, int height, int threads = 0,
                                        const std::function<void(size_t done)> &progress = {});

}  // namespace tessaly
