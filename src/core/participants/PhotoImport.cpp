#include "participants/PhotoImport.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "participants/Jpeg.h"
#include "participants/ListImport.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace tessaly {

std::vector<fs::path> listJpegFiles(const fs::path &folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        std::error_code typeEc;
        if (!entry.is_regular_file(typeEc))
            continue;
        const std::string name = entry.path().filename().string();
        if (name.size() >= 4 && asciiLower(name.substr(name.size() - 4)) == ".jpg")
            files.push_back(entry.path());
    }
    return files;
}

fs::path photoFolder(const fs::path &programDir)
{
    return programFile(programDir, "photo");
}

std::vector<std::string> unfitPhotoNames(const std::vector<fs::path> &files)
{
    std::vector<std::string> unfit;
    for (const fs::path &file : files) {
        const std::string name = file.filename().string();
        std::string gbk;
        if (!utf8ToGbkChecked(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0), gbk) || !fitsAsLastField(gbk))
            unfit.push_back(name);
    }
    return unfit;
}

Status clearPhotoFolder(const fs::path &programDir)
{
    return removeFilesDurable(listJpegFiles(photoFolder(programDir)));
}

Status copyPhotos(const std::vector<fs::path> &files, const fs::path &programDir)
{
    const fs::path target = photoFolder(programDir);
    if (Status made = makeFolderDurable(target); !made)
        return made;
    StagedFiles staged;
    std::string data;
    for (const fs::path &file : files) {
        std::error_code ec;
        if (fs::exists(target / file.filename(), ec) && fs::equivalent(file, target / file.filename(), ec))
            continue;
        if (Status read = readFileInto(file, data); !read)
            return read;
        if (Status written = staged.stage(target / file.filename(), data); !written)
            return written;
    }
    return staged.commit();
}

namespace {

// Staged beside its target: the pictures are flushed and renamed together at
// the end, so a crash never leaves half a picture, and one flush serves them all.
Status convertOne(const fs::path &source, const fs::path &target, int width, int height, StagedFiles &staged)
{
    Result<RgbImage> picture = loadJpegFile(source, {width, height});
    if (!picture)
        return picture.error();
    Result<std::string> encoded = encodeJpeg(scaleImage(*picture, width, height));
    if (!encoded)
        return encoded.error();
    if (Status written = staged.stage(target, *encoded); !written)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法写入图片：") + fileNameToGbk(target));
    return Ok{};
}

}  // namespace

std::vector<PhotoConvertFailure> convertPhotos(const std::vector<fs::path> &files, const fs::path &programDir, int width,
                                        int height, int threads, const std::function<void(size_t)> &progress)
{
    std::vector<PhotoConvertFailure> failures;
    if (width <= 0 || height <= 0) {
        for (const fs::path &f : files)
            failures.push_back({f, TSL_GBK("转换后的宽和高要大于0")});
        return failures;
    }
    const fs::path target = photoFolder(programDir);
    if (Status made = makeFolderDurable(target); !made) {
        for (const fs::path &f : files)
            failures.push_back({f, made.error().message});
        return failures;
    }
    StagedFiles staged;

    if (threads <= 0)
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min<int>(threads, static_cast<int>(std::max<size_t>(files.size(), 1)));

    // Each worker takes the next picture; results land in their own slot so the
    // failures come back in the order given.
    std::vector<Status> results(files.size(), Status(Ok{}));
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            results[i] = convertOne(files[i], target / files[i].filename(), width, height, staged);
            if (++done == files.size()) {
                std::lock_guard lock(mutex);
                finished.notify_all();
            }
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(work);
    {
        std::unique_lock lock(mutex);
        while (done < files.size()) {
            finished.wait_for(lock, std::chrono::milliseconds(30));
            if (progress) {
                lock.unlock();
                progress(done);
                lock.lock();
            }
        }
    }
    for (auto &w : workers)
        w.join();
    if (Status committed = staged.commit(); !committed) {
        for (size_t i = 0; i < files.size(); ++i)
            if (results[i])
                results[i] = committed.error();
    }
    if (progress)
        progress(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        if (!results[i])
            failures.push_back({files[i], results[i].error().message});
    return failures;
}

}  // namespace tessaly
