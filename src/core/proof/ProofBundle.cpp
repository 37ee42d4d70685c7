// The proof bundle: a zip file of the files a verifier needs, built in memory
// and written through the atomic replace like every other file.
#include "proof/ProofVerify.h"

#include "files/FileIo.h"
#include "proof/AuditLog.h"
#include "proof/DrawProof.h"
#include "text/Gbk.h"

#include <zip.h>

#include <memory>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

constexpr zip_int64_t kMaxEntries = 256;
constexpr zip_uint64_t kMaxBundleBytes = 512ull << 20;

Error bundleError(const std::string &what)
{
    return makeError(ErrorCode::BadValue, TSL_GBK("证明包无法读取：") + what);
}

bool isRevealed(const std::string &audit)
{
    const AuditReadout readout = readAuditLog(audit);
    bool revealed = false;
    for (const auto &line : readout.lines)
        revealed = line.kind == "reveal" ? true : line.kind == "commit" ? false : revealed;
    return revealed && readout.faultLine == 0;
}

}  // namespace

Result<ProofFiles> readProofBundle(std::string_view zipBytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(zipBytes.data(), zipBytes.size(), 0, &error);
    if (!source)
        return bundleError("zip");
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        zip_error_fini(&error);
        return bundleError(TSL_GBK("不是zip文件"));
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> guard(archive, zip_discard);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || count > kMaxEntries)
        return bundleError(TSL_GBK("文件太多"));
    ProofFiles files;
    zip_uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
            return bundleError(TSL_GBK("目录损坏"));
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0),
                                                               zip_fclose);
        if (!file)
            return bundleError(stat.name);
        // The sizes the archive claims are not trusted: the bytes are read as they come.
        std::string bytes;
        char chunk[1 << 16];
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
            if (n < 0)
                return bundleError(stat.name);
            if (n == 0)
                break;
            total += static_cast<zip_uint64_t>(n);
            if (total > kMaxBundleBytes)
                return bundleError(TSL_GBK("内容太大"));
            bytes.append(chunk, static_cast<size_t>(n));
        }
        files[stat.name] = std::move(bytes);
    }
    return files;
}

Status writeProofBundle(const fs::path &dir, const fs::path &zipPath)
{
    auto files = readProofFolder(dir);
    if (!files)
        return files.error();
    files->erase(std::string(kProofFolder) + "/" + kSeedFile);  // the reveal line carries the seeds
    if (!isRevealed((*files)[kAuditLog]))
        return makeError(ErrorCode::BadInput,
                         TSL_GBK("种子还没有揭示，不能导出证明包（证明包里不能有未揭示的种子）。请先执行 tessaly reveal。"));

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成证明包。"));
    zip_source_keep(buffer);
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(buffer, zip_source_free);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成证明包。"));
    for (const auto &[name, bytes] : *files) {
        zip_source_t *entry = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!entry || zip_file_add(archive, name.c_str(), entry, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(entry);
            zip_discard(archive);
            return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成证明包。"));
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成证明包。"));
    }
    std::string bytes;
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成证明包。"));
    bytes.resize(static_cast<size_t>(stat.size));
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法生成证明包。"));
    return writeFileAtomic(zipPath, bytes);
}

}  // namespace tessaly
