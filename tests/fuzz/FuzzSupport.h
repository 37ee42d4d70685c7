// What the fuzz targets share: an invariant check that aborts, the input cut
// into the several files a reader takes, and a scratch program folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

// An invariant that must hold for every input; a violation is a finding.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__);   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace tessaly::fuzz {

inline std::string_view asText(const std::uint8_t *data, std::size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

// Files of one input are separated by a line "~~~~" (LF or CR LF around it);
// missing parts are empty.
inline std::vector<std::string> splitParts(std::string_view input, std::size_t count)
{
    std::vector<std::string> parts;
    constexpr std::string_view kSeparator = "~~~~";
    std::size_t start = 0;
    while (parts.size() + 1 < count) {
        std::size_t at = input.find(kSeparator, start);
        if (at == std::string_view::npos)
            break;
        std::size_t end = at;
        if (end > start && input[end - 1] == '\n')
            --end;
        if (end > start && input[end - 1] == '\r')
            --end;
        parts.emplace_back(input.substr(start, end - start));
        start = at + kSeparator.size();
        if (start < input.size() && input[start] == '\r')
            ++start;
        if (start < input.size() && input[start] == '\n')
            ++start;
    }
    parts.emplace_back(input.substr(std::min(start, input.size())));
    parts.resize(count);
    return parts;
}

// One program folder per process, emptied for every input. On /dev/shm where it
// exists, so the flushes of the durable writes cost nothing.
class ScratchFolder {
public:
    ScratchFolder()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        m_path = base / ("tessaly-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(m_path, ec);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }

    const std::filesystem::path &path() const { return m_path; }

    void clear() const
    {
        std::error_code ec;
        for (const auto &entry : std::filesystem::directory_iterator(m_path, ec))
            std::filesystem::remove_all(entry.path(), ec);
    }
    void write(const std::string &name, std::string_view bytes) const
    {
        std::ofstream(m_path / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string read(const std::string &name) const
    {
        std::ifstream in(m_path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

}  // namespace tessaly::fuzz
