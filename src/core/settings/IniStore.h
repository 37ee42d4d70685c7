// The INI store behind set.dat, Modual\set.dat, Read.reb and write.reb, with the
// semantics of the Windows profile-string functions. One store serves one
// operation: open, read and write, commit. A commit re-reads the file and
// replays this store's writes onto it before an atomic replace, so two stores
// open at once never lose each other's writes.
#pragma once

#include "Result.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class IniDocument;

class IniStore {
public:
    // A missing file opens as empty (every read gives its default); only a file
    // that exists and cannot be read is an error.
    static Result<IniStore> open(const std::filesystem::path &file);

    IniStore(IniStore &&) noexcept;
    IniStore &operator=(IniStore &&) noexcept;
    ~IniStore();

    const std::filesystem::path &path() const { return m_path; }
    bool fileExisted() const { return m_existed; }

    // Trimmed, with one pair of surrounding quotes (single or double) removed.
    std::string readString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // Decimal (or $hex) integer; anything else gives the default.
    int readInteger(std::string_view section, std::string_view key, int def) const;
    // An integer limited to [lo, hi]; `clamped` (when given) is set when a
    // stored number lay outside and was brought to the nearest bound.
    int readInteger(std::string_view section, std::string_view key, int def, int lo, int hi,
                    bool *clamped) const;
    // Any integer other than 0 is true; text that is not an integer gives the default.
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;
    // Key names of a section in file order (first spelling of each).
    std::vector<std::string> keys(std::string_view section) const;

    // A line break in a value becomes a blank, so a value never spans lines.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    // Writes a value that readString gives back as it is: one that reading would
    // change (surrounding blanks or quotes) is stored inside one more pair of
    // quotes. For values read from a file and written back unchanged.
    void writeExact(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void deleteKey(std::string_view section, std::string_view key);

    bool dirty() const { return !m_ops.empty(); }
    // Applies the pending writes to the file as it is now and replaces it atomically.
    Status commit();

private:
    struct Op {
        enum Kind { Write, Delete } kind;
        std::string section, key, value;
    };

    IniStore() = default;

    std::filesystem::path m_path;
    bool m_existed = false;
    std::unique_ptr<IniDocument> m_doc;
    std::vector<Op> m_ops;
};

// Number parsing shared by the store and the value encodings: optional sign,
// decimal digits or "$"/"0x" hex, within 32 bits; nothing otherwise.
bool parseInteger(std::string_view text, int &out);

}  // namespace tessaly
