#include "text/Gbk.h"

#include <cerrno>
#include <iconv.h>

namespace tessaly {
namespace {

// One iconv descriptor per direction and thread; iconv_t is not thread safe.
class Converter {
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts as much as possible; on a bad sequence calls onBad with the
    // remaining input and the output so far, and continues past what it consumed.
    template <typename OnBad>
    bool run(std::string_view in, std::string &out, OnBad onBad)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        bool clean = true;
        char *src = const_cast<char *>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char *dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a truncated sequence at the end): one bad unit.
            clean = false;
            size_t skip = onBad(src, srcLeft, out);
            src += skip;
            srcLeft -= skip;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return clean;
    }

private:
    iconv_t m_cd;
};

Converter &fromGbk()
{
    thread_local Converter c("UTF-8", "CP936");
    return c;
}

Converter &toGbk()
{
    thread_local Converter c("CP936", "UTF-8");
    return c;
}

bool allAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

size_t utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    if (allAscii(gbk))
        return std::string(gbk);
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    fromGbk().run(gbk, out, [](const char *, size_t, std::string &o) {
        o += "\xEF\xBF\xBD";
        return size_t{1};
    });
    return out;
}

std::optional<std::string> gbkToUtf8Strict(std::string_view gbk)
{
    if (allAscii(gbk))
        return std::string(gbk);
    std::string out;
    bool clean = fromGbk().run(gbk, out, [](const char *, size_t, std::string &) { return size_t{1}; });
    if (!clean)
        return std::nullopt;
    return out;
}

bool isValidGbk(std::string_view gbk)
{
    return gbkToUtf8Strict(gbk).has_value();
}

std::string utf8ToGbk(std::string_view utf8)
{
    if (allAscii(utf8))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    toGbk().run(utf8, out, [](const char *src, size_t left, std::string &o) {
        o += '?';
        size_t n = utf8SequenceLength(static_cast<unsigned char>(*src));
        return n <= left ? n : left;
    });
    return out;
}

void appendUtf8(std::string &out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace tessaly
