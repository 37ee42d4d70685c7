#include "participants/ListTools.h"

#include "draw/Random.h"
#include "files/FileIo.h"
#include "files/Paths.h"
#include "text/Gbk.h"
#include "text/Lines.h"
#include "text/SplitField.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <unordered_set>

namespace tessaly {
namespace {

void report(const LineProgress &progress, size_t index)
{
    if (progress)
        progress(index);
}

bool isBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// A whole-text decimal number of at most 18 digits.
bool readNumber(const std::string &text, long long &value)
{
    std::string t = trimBlanks(text);
    if (t.empty() || t.size() > 18)
        return false;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return ec == std::errc() && end == t.data() + t.size() && value >= 0;
}

}  // namespace

ToolResult removeBlankLines(const std::vector<std::string> &lines, const LineProgress &progress)
{
    ToolResult r;
    r.lines.reserve(lines.size());
    // Scanned from the last line to the first, as the progress shows it.
    std::vector<char> keep(lines.size(), 1);
    for (size_t i = lines.size(); i-- > 0;) {
        if (isBlankLine(lines[i])) {
            keep[i] = 0;
            ++r.removed;
        }
        report(progress, i);
    }
    for (size_t i = 0; i < lines.size(); ++i)
        if (keep[i])
            r.lines.push_back(lines[i]);
    r.changed = r.removed > 0;
    return r;
}

ToolResult removeDuplicateLines(const std::vector<std::string> &lines, const LineProgress &progress)
{
    ToolResult r;
    r.lines.reserve(lines.size());
    std::unordered_set<std::string_view> seen;
    seen.reserve(lines.size() * 2);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (seen.insert(lines[i]).second) {
            r.lines.push_back(lines[i]);
        } else {
            ++r.removed;
            r.removedText += ' ';
            r.removedText += lines[i];
        }
        report(progress, i);
    }
    r.changed = r.removed > 0;
    return r;
}

ToolResult removeAllSpaces(const std::vector<std::string> &lines, const LineProgress &progress)
{
    ToolResult r;
    r.lines.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string s;
        s.reserve(lines[i].size());
        for (char c : lines[i])
            if (c != ' ' && c != '\t')
                s += c;
        r.changed = r.changed || s.size() != lines[i].size();
        r.lines.push_back(std::move(s));
        report(progress, i);
    }
    return r;
}

ToolResult widenTwoCharNames(const std::vector<std::string> &lines, const LineProgress &progress)
{
    ToolResult r;
    r.lines.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &s = lines[i];
        if (s.size() == 4) {
            r.lines.push_back(s.substr(0, 2) + "  " + s.substr(2));
            r.changed = true;
        } else {
            r.lines.push_back(s);
        }
        report(progress, i);
    }
    return r;
}

std::vector<size_t> unfitListLines(const std::vector<std::string> &lines)
{
    std::vector<size_t> unfit;
    for (size_t i = 0; i < lines.size(); ++i)
        if (!fitsAsLastField(lines[i]))
            unfit.push_back(i);
    return unfit;
}

std::string lineNumbersText(const std::vector<size_t> &indices)
{
    constexpr size_t kShown = 20;
    std::string text = TSL_GBK("第");
    for (size_t i = 0; i < indices.size() && i < kShown; ++i) {
        if (i)
            text += TSL_GBK("、");
        text += std::to_string(indices[i] + 1);
    }
    if (indices.size() > kShown)
        text += TSL_GBK("等") + std::to_string(indices.size());
    return text + TSL_GBK("行");
}

std::string unfitLinesMessage(const std::vector<std::string> &lines, const std::vector<size_t> &unfit)
{
    std::string text = TSL_GBK("名单中") + lineNumbersText(unfit) +
                       TSL_GBK("含有竖线“|”或不完整的汉字，中奖记录无法正确保存这样的名字。请改正这些行后再保存，名单没有保存：");
    for (size_t i = 0; i < unfit.size() && i < 10; ++i)
        text += "\n" + TSL_GBK("第") + std::to_string(unfit[i] + 1) + TSL_GBK("行：") + lines[unfit[i]];
    return text;
}

std::string unencodableLinesMessage(const std::vector<size_t> &indices)
{
    return TSL_GBK("名单中") + lineNumbersText(indices) +
           TSL_GBK("含有GBK编码无法保存的字符（如生僻字、符号或表情），保存后会变成“?”。请改正这些行后再保存，名单没有保存：");
}

Status saveParticipantList(const std::filesystem::path &programDir, const std::vector<std::string> &lines)
{
    if (std::all_of(lines.begin(), lines.end(), isBlankLine))
        return makeError(ErrorCode::BadInput, TSL_GBK("抽奖名单为空，不能保存！"));
    if (std::vector<size_t> unfit = unfitListLines(lines); !unfit.empty())
        return makeError(ErrorCode::BadInput, unfitLinesMessage(lines, unfit));
    return writeFileAtomic(programFile(programDir, "data.txt"), joinLines(lines));
}

std::vector<std::string> shuffleLines(std::vector<std::string> lines, RandomSource &random)
{
    std::vector<std::string> result;
    result.reserve(lines.size());
    while (!lines.empty()) {
        int k = random.below(static_cast<int>(lines.size()));
        result.push_back(std::move(lines[k]));
        // Order of the remaining lines does not matter to a uniform pick.
        lines[k] = std::move(lines.back());
        lines.pop_back();
    }
    return result;
}

Result<std::vector<std::string>> generateNumbers(const NumberRun &run, const std::function<void(long long)> &progress)
{
    if (trimBlanks(run.startText).empty() || trimBlanks(run.endText).empty())
        return makeError(ErrorCode::BadInput, TSL_GBK("开始号码和结束号码不能为空，请输入。"));
    long long start = 0, end = 0;
    if (!readNumber(run.startText, start) || !readNumber(run.endText, end))
        return makeError(ErrorCode::BadInput, TSL_GBK("开始号码和结束号码只能是不超过18位的数字，请重新输入。"));
    std::vector<std::string> out;
    if (end < start)
        return out;
    if (end - start >= kMaxGeneratedNumbers)
        return makeError(ErrorCode::BadInput, TSL_GBK("一次最多生成1000000个号码，请缩小开始和结束的范围。"));

    // The width is the length of the end field as typed, so 0500 gives 4.
    const int width = static_cast<int>(run.endText.size());
    const bool pad = run.padZeros && width >= 2 && width <= 10;
    out.reserve(static_cast<size_t>(end - start + 1));
    char digits[32];
    for (long long n = start; n <= end; ++n) {
        int len = pad ? std::snprintf(digits, sizeof digits, "%.*lld", width, n)
                      : std::snprintf(digits, sizeof digits, "%lld", n);
        std::string_view text(digits, static_cast<size_t>(len));
        if (run.skipFours && text.find('4') != std::string_view::npos)
            continue;
        if (run.skipLastDigit[static_cast<size_t>(n % 10)])
            continue;
        std::string line;
        line.reserve(run.prefix.size() + text.size() + run.suffix.size());
        line.append(run.prefix).append(text).append(run.suffix);
        out.push_back(std::move(line));
        if (progress)
            progress(n);
    }
    return out;
}

PadResult padLines(std::vector<std::string> lines, const PadOptions &o, const LineProgress &progress)
{
    PadResult r;
    size_t target = 0;
    for (std::string &line : lines) {
        std::replace(line.begin(), line.end(), '\t', ' ');
        line = trimBlanks(line);
        target = std::max(target, line.size());
    }
    auto blanks = [](long long n) { return std::string(static_cast<size_t>(std::clamp<long long>(n, 0, kMaxPadBlanks)), ' '); };

    for (size_t i = 0; i < lines.size(); ++i) {
        std::string &s = lines[i];
        const long long d = static_cast<long long>(target) - static_cast<long long>(s.size());
        if (d != 0) {
            std::string before = s;
            switch (o.way) {
            case PadWay::Front:
                s = blanks(d) + s;
                break;
            case PadWay::Middle:
                if (size_t at = s.find(' '); at != std::string::npos)
                    s.replace(at, 1, blanks(d + 1));
                break;
            case PadWay::End:
                s += blanks(d);
                break;
            case PadWay::BeforeText:
                if (!o.text.empty())
                    if (size_t at = s.find(o.text); at != std::string::npos)
                        s.insert(at, blanks(d));
                break;
            case PadWay::Centre: {
                s = blanks(d / 2) + s;
                s += blanks(static_cast<long long>(target) - static_cast<long long>(s.size()));
                break;
            }
            case PadWay::FromPosition: {
                size_t head = static_cast<size_t>(std::clamp(o.position - 1, 0, static_cast<int>(s.size())));
                s = s.substr(0, head) + blanks(o.count) + s.substr(head);
                break;
            }
            }
            r.padded = r.padded || s != before;
        }
        report(progress, i);
    }
    r.lines = std::move(lines);
    return r;
}

}  // namespace tessaly
