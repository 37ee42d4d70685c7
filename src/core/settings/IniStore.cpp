#include "settings/IniStore.h"

#include "files/FileIo.h"
#include "text/Lines.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>
#include <unordered_map>

namespace tessaly {
namespace fs = std::filesystem;

// The parsed file: the lines before any section, then each section with its lines.
class IniDocument {
public:
    struct Section {
        std::string header;  // the "[name]" line as it stood
        std::vector<std::string> lines;
        std::unordered_map<std::string, size_t> keyIndex;  // lower-case key -> first line
    };

    explicit IniDocument(std::string_view text)
    {
        Section *current = nullptr;
        for (auto &line : splitLines(text)) {
            std::string name;
            if (sectionName(line, name)) {
                std::string lower = asciiLower(name);
                m_sections.push_back(Section{line, {}, {}});
                m_sectionIndex.emplace(lower, m_sections.size() - 1);  // first one wins
                current = &m_sections.back();
                continue;
            }
            if (!current) {
                m_preamble.push_back(std::move(line));
                continue;
            }
            current->lines.push_back(std::move(line));
            std::string key;
            if (keyOf(current->lines.back(), key))
                current->keyIndex.emplace(asciiLower(key), current->lines.size() - 1);
        }
    }

    const std::string *value(std::string_view section, std::string_view key, std::string &scratch) const
    {
        const Section *s = find(section);
        if (!s)
            return nullptr;
        auto it = s->keyIndex.find(asciiLower(key));
        if (it == s->keyIndex.end())
            return nullptr;
        const std::string &line = s->lines[it->second];
        scratch = line.substr(line.find('=') + 1);
        return &scratch;
    }

    bool hasSection(std::string_view section) const { return find(section) != nullptr; }

    std::vector<std::string> keys(std::string_view section) const
    {
        std::vector<std::string> out;
        const Section *s = find(section);
        if (!s)
            return out;
        for (size_t i = 0; i < s->lines.size(); ++i) {
            std::string key;
            if (keyOf(s->lines[i], key)) {
                auto it = s->keyIndex.find(asciiLower(key));
                if (it != s->keyIndex.end() && it->second == i)
                    out.push_back(key);
            }
        }
        return out;
    }

    void write(const std::string &section, const std::string &key, const std::string &value)
    {
        std::string line = key + "=" + value;
        Section *s = findMutable(section);
        if (!s) {
            m_sections.push_back(Section{"[" + section + "]", {}, {}});
            m_sectionIndex.emplace(asciiLower(section), m_sections.size() - 1);
            s = &m_sections.back();
        }
        std::string lower = asciiLower(key);
        auto it = s->keyIndex.find(lower);
        if (it != s->keyIndex.end()) {
            s->lines[it->second] = std::move(line);
            return;
        }
        // A new key goes after the section's last non-blank line; the blank lines
        // after it hold no keys, so no index moves.
        size_t at = s->lines.size();
        while (at > 0 && trimBlanks(s->lines[at - 1]).empty())
            --at;
        s->lines.insert(s->lines.begin() + static_cast<long>(at), std::move(line));
        s->keyIndex.emplace(lower, at);
    }

    void remove(std::string_view section, std::string_view key)
    {
        Section *s = findMutable(section);
        if (!s)
            return;
        auto it = s->keyIndex.find(asciiLower(key));
        if (it == s->keyIndex.end())
            return;
        s->lines.erase(s->lines.begin() + static_cast<long>(it->second));
        s->keyIndex.clear();
        for (size_t i = 0; i < s->lines.size(); ++i) {
            std::string k;
            if (keyOf(s->lines[i], k))
                s->keyIndex.emplace(asciiLower(k), i);
        }
    }

    std::string text() const
    {
        std::vector<std::string> all = m_preamble;
        for (const auto &s : m_sections) {
            all.push_back(s.header);
            all.insert(all.end(), s.lines.begin(), s.lines.end());
        }
        return joinLines(all);
    }

private:
    static bool sectionName(const std::string &line, std::string &name)
    {
        std::string t = trimBlanks(line);
        if (t.size() < 2 || t.front() != '[')
            return false;
        auto close = t.find(']');
        if (close == std::string::npos)
            return false;
        name = trimBlanks(std::string_view(t).substr(1, close - 1));
        return true;
    }

    static bool keyOf(const std::string &line, std::string &key)
    {
        auto eq = line.find('=');
        if (eq == std::string::npos)
            return false;
        key = trimBlanks(std::string_view(line).substr(0, eq));
        return !key.empty();
    }

    const Section *find(std::string_view section) const
    {
        auto it = m_sectionIndex.find(asciiLower(section));
        return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
    }
    Section *findMutable(std::string_view section)
    {
        auto it = m_sectionIndex.find(asciiLower(section));
        return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
    }

    std::vector<std::string> m_preamble;
    std::vector<Section> m_sections;
    std::unordered_map<std::string, size_t> m_sectionIndex;
};

namespace {

std::string unquote(std::string value)
{
    value = trimBlanks(value);
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Serialises commits within the process; flock on the folder serialises processes.
std::mutex &commitMutex()
{
    static std::mutex m;
    return m;
}

class FolderLock {
public:
    explicit FolderLock(const fs::path &folder)
        : m_fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~FolderLock()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int m_fd;
};

}  // namespace

bool parseInteger(std::string_view text, int &out)
{
    std::string t = trimBlanks(text);
    std::string_view s = t;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return false;
    unsigned long long magnitude = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return false;
    if (base == 16 && !negative) {
        // Hex covers the whole 32-bit pattern ($FFFFFFFF is -1), as colours need.
        if (magnitude > 0xFFFFFFFFull)
            return false;
        out = static_cast<int>(static_cast<unsigned>(magnitude));
        return true;
    }
    if (negative ? magnitude > 2147483648ull : magnitude > 2147483647ull)
        return false;
    long long v = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    out = static_cast<int>(v);
    return true;
}

Result<IniStore> IniStore::open(const fs::path &file)
{
    IniStore store;
    store.m_path = file;
    std::error_code ec;
    store.m_existed = fs::exists(file, ec);
    if (!store.m_existed) {
        store.m_doc = std::make_unique<IniDocument>("");
        return store;
    }
    auto data = readFile(file);
    if (!data)
        return data.error();
    store.m_doc = std::make_unique<IniDocument>(*data);
    return store;
}

IniStore::IniStore(IniStore &&) noexcept = default;
IniStore &IniStore::operator=(IniStore &&) noexcept = default;
IniStore::~IniStore() = default;

std::string IniStore::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    std::string scratch;
    const std::string *v = m_doc->value(section, key, scratch);
    if (!v)
        return std::string(def);
    return unquote(*v);
}

int IniStore::readInteger(std::string_view section, std::string_view key, int def) const
{
    std::string scratch;
    const std::string *v = m_doc->value(section, key, scratch);
    int out = 0;
    if (!v || !parseInteger(unquote(*v), out))
        return def;
    return out;
}

int IniStore::readInteger(std::string_view section, std::string_view key, int def, int lo, int hi,
                          bool *clamped) const
{
    const int v = readInteger(section, key, def);
    const int bounded = std::clamp(v, lo, hi);
    if (clamped && bounded != v)
        *clamped = true;
    return bounded;
}

bool IniStore::readBool(std::string_view section, std::string_view key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniStore::hasKey(std::string_view section, std::string_view key) const
{
    std::string scratch;
    return m_doc->value(section, key, scratch) != nullptr;
}

bool IniStore::hasSection(std::string_view section) const
{
    return m_doc->hasSection(section);
}

std::vector<std::string> IniStore::keys(std::string_view section) const
{
    return m_doc->keys(section);
}

void IniStore::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    Op op{Op::Write, std::string(section), std::string(key), flattenLineBreaks(value)};
    m_doc->write(op.section, op.key, op.value);
    m_ops.push_back(std::move(op));
}

void IniStore::writeExact(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string flat = flattenLineBreaks(value);
    if (unquote(flat) == flat)
        writeString(section, key, flat);
    else
        writeString(section, key, "\"" + flat + "\"");
}

void IniStore::writeInteger(std::string_view section, std::string_view key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniStore::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void IniStore::deleteKey(std::string_view section, std::string_view key)
{
    m_doc->remove(section, key);
    m_ops.push_back(Op{Op::Delete, std::string(section), std::string(key), {}});
}

Status IniStore::commit()
{
    if (m_ops.empty())
        return Ok{};
    std::lock_guard guard(commitMutex());
    FolderLock lock(m_path.parent_path());

    // Replay onto the file as it is now, so a write another store made since our
    // open survives.
    std::string current;
    std::error_code ec;
    if (fs::exists(m_path, ec)) {
        auto data = readFile(m_path);
        if (!data)
            return data.error();
        current = std::move(*data);
    }
    auto doc = std::make_unique<IniDocument>(current);
    for (const auto &op : m_ops) {
        if (op.kind == Op::Write)
            doc->write(op.section, op.key, op.value);
        else
            doc->remove(op.section, op.key);
    }
    auto written = writeFileAtomic(m_path, doc->text());
    if (!written)
        return written;
    m_doc = std::move(doc);
    m_ops.clear();
    m_existed = true;
    return Ok{};
}

}  // namespace tessaly
