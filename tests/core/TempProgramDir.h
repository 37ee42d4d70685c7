// A temporary program folder per test, with helpers to write files as an
// operator would (GBK, CR LF) and read them back.
#pragma once

#include "core/settings/IniStore.h"
#include "core/text/Gbk.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tessaly::test {

class TempProgramDir {
public:
    TempProgramDir()
    {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("tessaly-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempProgramDir()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempProgramDir(const TempProgramDir &) = delete;
    TempProgramDir &operator=(const TempProgramDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(const std::string &name) const { return m_path / name; }

    // Writes bytes as they stand.
    void write(const std::string &name, const std::string &bytes) const
    {
        auto p = m_path / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    // Writes UTF-8 source text as GBK lines with CR LF.
    void writeLines(const std::string &name, const std::vector<std::string> &utf8Lines) const
    {
        std::string bytes;
        for (const auto &l : utf8Lines)
            bytes += utf8ToGbk(l) + "\r\n";
        write(name, bytes);
    }
    std::string read(const std::string &name) const
    {
        std::ifstream in(m_path / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(m_path / name); }

private:
    std::filesystem::path m_path;
};

// A set.dat of the given text in a folder of its own, open as one operation.
struct SettingsFile {
    TempProgramDir dir;
    IniStore ini;
    explicit SettingsFile(const std::string &text = {}) : ini(open(dir, text)) {}
    static IniStore open(const TempProgramDir &dir, const std::string &text)
    {
        dir.write("set.dat", text);
        return std::move(*IniStore::open(dir / "set.dat"));
    }
};

// GBK bytes of a UTF-8 source text.
inline std::string G(const std::string &utf8) { return utf8ToGbk(utf8); }

}  // namespace tessaly::test
