#include "participants/NumberFormat.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tessaly {
namespace {

// Length of the UTF-8 character starting with byte c (1 for a stray byte).
size_t charLength(unsigned char c)
{
    return c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

std::string_view nextChar(std::string_view s, size_t at)
{
    return at < s.size() ? s.substr(at, std::min(charLength(static_cast<unsigned char>(s[at])), s.size() - at))
                         : std::string_view();
}

// The sections of a format code, split at the semicolons outside quotes,
// brackets and escapes.
std::vector<std::string_view> sections(std::string_view code)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    bool quoted = false, bracket = false;
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted)
            quoted = c != '"';
        else if (bracket)
            bracket = c != ']';
        else if (c == '"')
            quoted = true;
        else if (c == '[')
            bracket = true;
        else if (c == '\\' || c == '_' || c == '*')
            ++i;
        else if (c == ';') {
            out.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(code.substr(std::min(start, code.size())));
    return out;
}

bool isGeneral(std::string_view s, size_t at)
{
    static constexpr std::string_view kGeneral = "general";
    if (s.size() - at < kGeneral.size())
        return false;
    for (size_t k = 0; k < kGeneral.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(s[at + k])) != kGeneral[k])
            return false;
    return true;
}

// True when a section shows a date or a time: a date code outside quotes and
// brackets, or an elapsed-time bracket such as [h].
bool isDateSection(std::string_view code)
{
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') {
            const size_t end = code.find('"', i + 1);
            i = end == std::string_view::npos ? code.size() : end;
        } else if (c == '[') {
            if (i + 1 < code.size() && std::strchr("hHmMsS", code[i + 1]) && code[i + 1] != '\0')
                return true;
            const size_t end = code.find(']', i);
            i = end == std::string_view::npos ? code.size() : end;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (isGeneral(code, i)) {
            i += 6;
        } else if (std::strchr("yYmMdDhHsS", c) && c != '\0') {
            return true;
        } else if ((c == 'a' || c == 'A') && code.substr(i, 3).size() == 3 &&
                   std::tolower(static_cast<unsigned char>(code[i + 1])) == 'a' &&
                   std::tolower(static_cast<unsigned char>(code[i + 2])) == 'a') {
            return true;  // aaa, aaaa: the Chinese weekday
        }
    }
    return false;
}

// |v| rounded half away from zero at `decimals` places, on the 15 significant
// digits a spreadsheet keeps (so 2.675 shows as 2.68, as it does there): the
// digits before the point (none for zero) and exactly `decimals` after it.
struct Digits {
    std::string whole, fraction;
};

Digits roundDecimal(double v, int decimals)
{
    decimals = std::clamp(decimals, 0, 30);
    v = std::fabs(v);
    Digits d;
    d.fraction.assign(static_cast<size_t>(decimals), '0');
    if (v == 0 || !std::isfinite(v))
        return d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string digits(1, buf[0]);
    digits.append(buf + 2, 14);
    const int exp = std::atoi(std::strchr(buf, 'e') + 1);
    // digits[i] stands for 10^(exp - i); keep those down to 10^-decimals.
    const long keep = static_cast<long>(exp) + 1 + decimals;
    if (keep < 0)
        return d;
    std::string kept;
    if (keep < 15) {
        kept = digits.substr(0, static_cast<size_t>(keep));
        if (digits[static_cast<size_t>(keep)] >= '5') {
            long i = static_cast<long>(kept.size()) - 1;
            while (i >= 0 && kept[static_cast<size_t>(i)] == '9')
                kept[static_cast<size_t>(i--)] = '0';
            if (i < 0)
                kept.insert(kept.begin(), '1');
            else
                ++kept[static_cast<size_t>(i)];
        }
    } else {
        kept = digits + std::string(static_cast<size_t>(keep - 15), '0');
    }
    if (kept.size() < static_cast<size_t>(decimals) + 1)
        kept.insert(0, static_cast<size_t>(decimals) + 1 - kept.size(), '0');
    d.whole = kept.substr(0, kept.size() - static_cast<size_t>(decimals));
    d.fraction = kept.substr(kept.size() - static_cast<size_t>(decimals));
    d.whole.erase(0, std::min(d.whole.find_first_not_of('0'), d.whole.size()));
    return d;
}

struct CivilTime {
    int year, month, day, hour, minute, second, weekday;  // weekday 0 = Sunday
};

CivilTime civilFromSerial(double serial)
{
    // Serial 60 is the spreadsheet's 29 February 1900, which never was; days
    // before it are one off against the real calendar.
    long long whole = static_cast<long long>(std::floor(serial));
    long long seconds = std::llround((serial - static_cast<double>(whole)) * 86400.0);
    if (seconds >= 86400) {
        ++whole;
        seconds -= 86400;
    }
    const int weekday = static_cast<int>(((whole - 1) % 7 + 7) % 7);
    const int h = int(seconds / 3600), m = int(seconds / 60 % 60), s = int(seconds % 60);
    if (whole == 60)
        return {1900, 2, 29, h, m, s, weekday};
    if (whole < 60)
        ++whole;
    // Days since 1970-01-01, then the civil date (Howard Hinnant's algorithm).
    long long z = whole - 25569 + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int mo = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int y = static_cast<int>(yoe + era * 400 + (mo <= 2));
    return {y, mo, d, h, m, s, weekday};
}

std::string padded(long long value, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", std::clamp(width, 1, 20), value);
    return buf;
}

// One section of a number format: digit placeholders (0 # ?), the decimal
// point, thousands and scaling commas, percent, exponent and literal text.
struct NumberToken {
    enum Kind { Digit, Point, Comma, Exponent, General, Literal } kind;
    char placeholder = 0;  // Digit: 0 # ?; Exponent: + or -
    std::string text;      // Literal
};

std::vector<NumberToken> numberTokens(std::string_view code, int &percent)
{
    std::vector<NumberToken> tokens;
    bool seenPoint = false;
    for (size_t i = 0; i < code.size();) {
        const char c = code[i];
        if (c == '"') {
            size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos)
                end = code.size();
            tokens.push_back({NumberToken::Literal, 0, std::string(code.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else if (c == '\\' || c == '_' || c == '*') {
            const std::string_view next = nextChar(code, i + 1);
            if (c == '\\')
                tokens.push_back({NumberToken::Literal, 0, std::string(next)});
            else if (c == '_')
                tokens.push_back({NumberToken::Literal, 0, " "});  // the width of the next character
            i += 1 + next.size();
        } else if (c == '[') {
            size_t end = code.find(']', i);
            if (end == std::string_view::npos)
                end = code.size();
            const std::string_view inner = code.substr(i + 1, end - i - 1);
            if (inner.starts_with("$"))  // [$¥-804]: the currency sign before the locale
                tokens.push_back({NumberToken::Literal, 0, std::string(inner.substr(1, inner.find('-') - 1))});
            i = end + 1;  // colours, conditions and locales show nothing
        } else if (c == '0' || c == '#' || c == '?') {
            tokens.push_back({NumberToken::Digit, c, {}});
            ++i;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            tokens.push_back({NumberToken::Point, 0, {}});
            ++i;
        } else if (c == ',') {
            tokens.push_back({NumberToken::Comma, 0, {}});
            ++i;
        } else if ((c == 'E' || c == 'e') && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) {
            tokens.push_back({NumberToken::Exponent, code[i + 1], {}});
            i += 2;
        } else if (isGeneral(code, i)) {
            tokens.push_back({NumberToken::General, 0, {}});
            i += 7;
        } else {
            if (c == '%')
                ++percent;
            const std::string_view ch = nextChar(code, i);
            tokens.push_back({NumberToken::Literal, 0, std::string(ch)});
            i += ch.size();
        }
    }
    return tokens;
}

std::string formatNumberSection(double value, std::string_view code, bool minus)
{
    int percent = 0;
    std::vector<NumberToken> tokens = numberTokens(code, percent);

    // Commas between integer placeholders group thousands; commas after the
    // last integer placeholder divide by a thousand each.
    bool thousands = false;
    int scale = 0;
    auto isDigit = [&](size_t k) { return k < tokens.size() && tokens[k].kind == NumberToken::Digit; };
    bool inInteger = true;
    for (size_t k = 0; k < tokens.size(); ++k) {
        NumberToken &t = tokens[k];
        if (t.kind == NumberToken::Point || t.kind == NumberToken::Exponent)
            inInteger = false;
        if (t.kind != NumberToken::Comma)
            continue;
        size_t before = k, after = k + 1;
        while (before > 0 && tokens[before - 1].kind == NumberToken::Comma)
            --before;
        while (after < tokens.size() && tokens[after].kind == NumberToken::Comma)
            ++after;
        if (inInteger && before > 0 && isDigit(before - 1) && isDigit(after)) {
            thousands = true;
            t = {NumberToken::Literal, 0, {}};
        } else if (before > 0 && isDigit(before - 1)) {
            ++scale;
            t = {NumberToken::Literal, 0, {}};
        } else {
            t = {NumberToken::Literal, 0, ","};
        }
    }

    std::string integerKinds, fractionKinds, exponentKinds;
    int part = 0;  // 0 integer, 1 fraction, 2 exponent
    bool general = false, exponentPlus = false;
    for (const NumberToken &t : tokens) {
        if (t.kind == NumberToken::Point && part == 0)
            part = 1;
        else if (t.kind == NumberToken::Exponent) {
            part = 2;
            exponentPlus = t.placeholder == '+';
        } else if (t.kind == NumberToken::Digit)
            (part == 0 ? integerKinds : part == 1 ? fractionKinds : exponentKinds) += t.placeholder;
        else if (t.kind == NumberToken::General)
            general = true;
    }

    double x = std::fabs(value) * std::pow(100.0, percent) / std::pow(1000.0, scale);
    int exponent = 0;
    const bool scientific = !exponentKinds.empty() || std::any_of(tokens.begin(), tokens.end(), [](const auto &t) {
        return t.kind == NumberToken::Exponent;
    });
    if (scientific && x != 0) {
        const int step = std::max<int>(1, static_cast<int>(integerKinds.size()));
        exponent = static_cast<int>(std::floor(std::log10(x)));
        exponent = step > 1 ? static_cast<int>(std::floor(exponent / double(step))) * step : exponent;
        x /= std::pow(10.0, exponent);
    }
    Digits digits = roundDecimal(x, static_cast<int>(fractionKinds.size()));
    if (scientific && digits.whole.size() > std::max<size_t>(1, integerKinds.size())) {
        // Rounding carried into another digit: 9.99 shown as 10.0E+0 becomes 1.00E+1.
        x /= 10;
        ++exponent;
        digits = roundDecimal(x, static_cast<int>(fractionKinds.size()));
    }
    const bool allZero = digits.whole.empty() && digits.fraction.find_first_not_of('0') == std::string::npos;
    std::string out = minus && !allZero && !general ? "-" : "";

    // The integer digits: right-aligned on the placeholders, what does not fit
    // going into the first; a placeholder without a digit shows 0, a blank or nothing.
    const size_t n = integerKinds.size();
    auto integerPiece = [&](size_t k) {
        std::string piece;
        const std::string &w = digits.whole;
        if (k == 0 && w.size() > n)
            piece = w.substr(0, w.size() - n);
        const size_t fromRight = n - 1 - k;
        if (fromRight < w.size())
            piece += w[w.size() - 1 - fromRight];
        else if (integerKinds[k] == '0')
            piece += '0';
        else if (integerKinds[k] == '?')
            piece += ' ';
        return piece;
    };
    std::string groupedInteger;
    if (thousands) {
        std::string plain;
        for (size_t k = 0; k < n; ++k)
            plain += integerPiece(k);
        const size_t firstDigit = std::min(plain.find_first_not_of(' '), plain.size());
        std::string number = plain.substr(firstDigit);
        for (long at = static_cast<long>(number.size()) - 3; at > 0; at -= 3)
            number.insert(static_cast<size_t>(at), ",");
        groupedInteger = plain.substr(0, firstDigit) + number;
    }
    // The fraction: a # placeholder drops a trailing zero, a ? shows a blank.
    std::string fraction = digits.fraction;
    for (size_t k = fraction.size(); k-- > 0 && fraction[k] == '0' && fractionKinds[k] != '0';)
        fraction[k] = fractionKinds[k] == '?' ? ' ' : '\0';
    std::erase(fraction, '\0');
    std::string exponentText = padded(std::abs(exponent), static_cast<int>(std::count(exponentKinds.begin(), exponentKinds.end(), '0')));
    exponentText.insert(0, exponent < 0 ? "-" : exponentPlus ? "+" : "");

    size_t integerAt = 0, fractionAt = 0;
    part = 0;
    for (const NumberToken &t : tokens) {
        switch (t.kind) {
        case NumberToken::Literal: out += t.text; break;
        case NumberToken::General: out += formatGeneralNumber(value); break;
        case NumberToken::Point:
            part = 1;
            out += '.';
            break;
        case NumberToken::Exponent:
            part = 2;
            out += 'E';
            out += exponentText;
            break;
        case NumberToken::Digit:
            if (part == 0) {
                if (!thousands)
                    out += integerPiece(integerAt);
                else if (integerAt == 0)
                    out += groupedInteger;
                ++integerAt;
            } else if (part == 1) {
                if (fractionAt < fraction.size())
                    out += fraction[fractionAt];
                ++fractionAt;
            }
            break;
        case NumberToken::Comma: break;
        }
    }
    return out;
}

}  // namespace

std::string formatGeneralNumber(double v)
{
    if (!std::isfinite(v))
        return "#NUM!";
    if (v == 0)
        return "0";
    char buf[64];
    // Whole numbers below 10^15 hold every digit exactly: shown in full, as a
    // ticket number must be; above that every double is whole.
    if (std::fabs(v) >= 1e15 || v == std::floor(v)) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.15g", v);
    if (!std::strchr(buf, 'e'))
        return buf;
    // A small fraction keeps its 15 significant digits in plain decimals.
    std::snprintf(buf, sizeof buf, "%.14e", v);
    const int exp = std::atoi(std::strchr(buf, 'e') + 1);
    Digits d = roundDecimal(v, 14 - exp);
    d.fraction.erase(d.fraction.find_last_not_of('0') + 1);
    return std::string(v < 0 ? "-" : "") + (d.whole.empty() ? "0" : d.whole) + (d.fraction.empty() ? "" : "." + d.fraction);
}

std::string formatDateSerial(double serial, std::string_view code)
{
    static constexpr std::string_view kChineseNoon = "上午/下午";
    static const char *const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    static const char *const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static const char *const kChineseDays[] = {"日", "一", "二", "三", "四", "五", "六"};
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465)
        return formatGeneralNumber(serial);
    CivilTime t = civilFromSerial(serial);
    code = sections(code).front();

    // Tokens first, so that "m" can be told apart: minutes after an hour or
    // before a second, months otherwise.
    struct Token {
        char kind;  // y m d h s a(m/pm) c(hinese noon) w(eekday) l(iteral)
        int count;
        std::string text;
    };
    std::vector<Token> tokens;
    bool twelveHour = false;
    for (size_t i = 0; i < code.size();) {
        char c = code[i];
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"') {
            size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos)
                end = code.size();
            tokens.push_back({'l', 0, std::string(code.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else if (c == '\\' && i + 1 < code.size()) {
            const std::string_view next = nextChar(code, i + 1);
            tokens.push_back({'l', 0, std::string(next)});
            i += 1 + next.size();
        } else if (c == '[') {
            size_t end = code.find(']', i);
            std::string_view inner = code.substr(i + 1, (end == std::string_view::npos ? code.size() : end) - i - 1);
            if (!inner.empty() && std::tolower(static_cast<unsigned char>(inner[0])) == 'h')
                tokens.push_back({'h', static_cast<int>(inner.size()), {}});
            i = end == std::string_view::npos ? code.size() : end + 1;
        } else if (code.substr(i, 5) == "AM/PM" || code.substr(i, 5) == "am/pm") {
            tokens.push_back({'a', 0, {}});
            twelveHour = true;
            i += 5;
        } else if (code.substr(i, kChineseNoon.size()) == kChineseNoon) {
            tokens.push_back({'c', 0, {}});
            twelveHour = true;
            i += kChineseNoon.size();
        } else if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's' || lower == 'a') {
            size_t j = i;
            while (j < code.size() && std::tolower(static_cast<unsigned char>(code[j])) == lower)
                ++j;
            const int count = static_cast<int>(j - i);
            if (lower == 'a')
                tokens.push_back(count >= 3 ? Token{'w', count, {}} : Token{'l', 0, std::string(code.substr(i, j - i))});
            else
                tokens.push_back({lower, count, {}});
            i = j;
        } else if (c == '_' || c == '*') {
            i += 1 + nextChar(code, i + 1).size();  // spacing and fill characters take the next one with them
        } else {
            const std::string_view ch = nextChar(code, i);
            tokens.push_back({'l', 0, std::string(ch)});
            i += ch.size();
        }
    }
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != 'm' || tokens[k].count > 2)
            continue;
        auto nearest = [&](int step) -> char {
            for (size_t j = k + step; j < tokens.size(); j += step)
                if (tokens[j].kind != 'l')
                    return tokens[j].kind;
            return 0;
        };
        if (nearest(-1) == 'h' || nearest(1) == 's')
            tokens[k].kind = 'n';
    }

    int hour = t.hour;
    if (twelveHour) {
        hour = t.hour % 12;
        if (hour == 0)
            hour = 12;
    }
    std::string out;
    for (const Token &tk : tokens) {
        switch (tk.kind) {
        case 'y': out += tk.count <= 2 ? padded(t.year % 100, 2) : padded(t.year, 4); break;
        case 'm':
            if (tk.count == 3)
                out += std::string(kMonths[t.month - 1]).substr(0, 3);
            else if (tk.count == 4)
                out += kMonths[t.month - 1];
            else if (tk.count >= 5)
                out += kMonths[t.month - 1][0];
            else
                out += padded(t.month, tk.count);
            break;
        case 'd':
            if (tk.count == 3)
                out += std::string(kDays[t.weekday]).substr(0, 3);
            else if (tk.count >= 4)
                out += kDays[t.weekday];
            else
                out += padded(t.day, tk.count);
            break;
        case 'w': out += std::string(tk.count >= 4 ? "星期" : "") + kChineseDays[t.weekday]; break;
        case 'h': out += padded(hour, std::min(tk.count, 2)); break;
        case 'n': out += padded(t.minute, std::min(tk.count, 2)); break;
        case 's': out += padded(t.second, std::min(tk.count, 2)); break;
        case 'a': out += t.hour < 12 ? "AM" : "PM"; break;
        case 'c': out += t.hour < 12 ? "上午" : "下午"; break;
        default: out += tk.text; break;
        }
    }
    return out;
}

std::string formatCellNumber(double value, std::string_view code, bool date1904)
{
    if (!std::isfinite(value))
        return formatGeneralNumber(value);
    const std::vector<std::string_view> parts = sections(code);
    // One section for all numbers; two: positive and zero, negative; three:
    // positive, negative, zero. The negative section shows no sign of its own.
    size_t chosen = 0;
    if (value < 0 && parts.size() >= 2)
        chosen = 1;
    else if (value == 0 && parts.size() >= 3)
        chosen = 2;
    const std::string_view section = parts[chosen];
    const bool minus = value < 0 && chosen == 0;
    std::string_view trimmed = section;
    while (!trimmed.empty() && trimmed.front() == ' ')
        trimmed.remove_prefix(1);
    if (trimmed.empty() && parts.size() == 1)
        return formatGeneralNumber(value);
    if (trimmed.size() == 7 && isGeneral(trimmed, 0))
        return formatGeneralNumber(value);
    if (isDateSection(section)) {
        // A date before the calendar's start shows as the number it is.
        if (value < 0)
            return formatGeneralNumber(value);
        return formatDateSerial(date1904 ? value + 1462 : value, section);
    }
    // "@" alone shows a number as it is.
    if (trimmed == "@")
        return formatGeneralNumber(value);
    return formatNumberSection(value, section, minus);
}

bool isDateFormat(std::string_view code)
{
    return isDateSection(sections(code).front());
}

std::string formatCellText(std::string_view text, std::string_view code)
{
    const std::vector<std::string_view> parts = sections(code);
    std::string_view section;
    if (parts.size() >= 4)
        section = parts[3];
    else if (parts.size() == 1 && code.find('@') != std::string_view::npos)
        section = parts[0];
    else
        return std::string(text);
    int percent = 0;
    std::string out;
    for (const NumberToken &t : numberTokens(section, percent)) {
        if (t.kind == NumberToken::Literal)
            out += t.text == "@" ? std::string(text) : t.text;
    }
    return out;
}

std::string_view builtInFormatCode(int id)
{
    switch (id) {
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 5: return "\"¥\"#,##0;\"¥\"\\-#,##0";
    case 6: return "\"¥\"#,##0;[Red]\"¥\"\\-#,##0";
    case 7: return "\"¥\"#,##0.00;\"¥\"\\-#,##0.00";
    case 8: return "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 14: return "yyyy/m/d";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "yyyy/m/d h:mm";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 41: return "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ ";
    case 42: return "_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ ";
    case 43: return "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ ";
    case 44: return "_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ ";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mm:ss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    case 27: case 36: case 50: case 52: case 57: return "yyyy\"年\"m\"月\"";
    case 28: case 29: case 51: case 53: case 54: case 58: return "m\"月\"d\"日\"";
    case 30: return "m-d-yy";
    case 31: return "yyyy\"年\"m\"月\"d\"日\"";
    case 32: return "h\"时\"mm\"分\"";
    case 33: return "h\"时\"mm\"分\"ss\"秒\"";
    case 34: case 55: return "上午/下午h\"时\"mm\"分\"";
    case 35: case 56: return "上午/下午h\"时\"mm\"分\"ss\"秒\"";
    default: return {};  // General, fractions (12, 13) and unknown numbers
    }
}

bool isoDateToSerial(std::string_view iso, double &serial)
{
    auto number = [&](size_t at, size_t len, int &v) {
        if (at + len > iso.size())
            return false;
        auto [end, ec] = std::from_chars(iso.data() + at, iso.data() + at + len, v);
        return ec == std::errc() && end == iso.data() + at + len;
    };
    double days = 0;
    size_t at = 0;
    int y = 0, mo = 0, d = 0;
    if (iso.size() >= 10 && iso[4] == '-' && iso[7] == '-' && number(0, 4, y) && number(5, 2, mo) && number(8, 2, d)) {
        if (mo < 1 || mo > 12 || d < 1 || d > 31)
            return false;
        // Days since 1970-01-01 (Howard Hinnant's algorithm), then the serial.
        const int yy = y - (mo <= 2);
        const long long era = (yy >= 0 ? yy : yy - 399) / 400;
        const long long yoe = yy - era * 400;
        const long long doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        days = static_cast<double>(era * 146097 + doe - 719468 + 25569);
        if (days < 61)
            days -= 1;  // the spreadsheet's 29 February 1900 comes before
        at = 10;
        if (at < iso.size() && (iso[at] == 'T' || iso[at] == ' '))
            ++at;
    }
    int h = 0, mi = 0, s = 0;
    if (at < iso.size()) {
        if (!number(at, 2, h) || at + 2 >= iso.size() || iso[at + 2] != ':' || !number(at + 3, 2, mi))
            return false;
        at += 5;
        if (at < iso.size() && iso[at] == ':' && number(at + 1, 2, s))
            at += 3;
        double fraction = 0;
        if (at < iso.size() && iso[at] == '.') {
            size_t end = at + 1;
            while (end < iso.size() && std::isdigit(static_cast<unsigned char>(iso[end])))
                ++end;
            fraction = std::atof(std::string(iso.substr(at, end - at)).c_str());
            at = end;
        }
        days += (h * 3600 + mi * 60 + s + fraction) / 86400.0;
    } else if (at == 0) {
        return false;
    }
    serial = days;
    return true;
}

}  // namespace tessaly
