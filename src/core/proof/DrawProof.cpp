#include "proof/DrawProof.h"

#include "files/FileIo.h"
#include "files/Paths.h"
#include "settings/IniStore.h"
#include "settings/ProgramFiles.h"
#include "settings/Settings.h"
#include "text/Gbk.h"
#include "text/SplitField.h"

#include <charconv>

namespace tessaly {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kInputsMagic = "Tessaly draw inputs 1";

Result<std::string> readOrEmpty(const fs::path &path)
{
    auto data = readFile(path);
    if (!data && data.code() == ErrorCode::FileMissing)
        return std::string();
    return data;
}

void addPart(std::string &text, std::string_view name, std::string_view bytes)
{
    text += std::string(name) + " " + std::to_string(bytes.size()) + "\r\n";
    text += bytes;
    text += "\r\n";
}

}  // namespace

fs::path seedFilePath(const fs::path &programDir)
{
    return programDir / kProofFolder / kSeedFile;
}

std::string inputsFileName(int commitment)
{
    return std::string(kProofFolder) + "/inputs-" + std::to_string(commitment) + ".txt";
}

Result<std::string> composeDrawInputs(const fs::path &programDir, bool listsActive)
{
    auto list = readFile(programFile(programDir, files::kParticipants));
    if (!list)
        return list.error();
    auto settings = openSettings(programDir);
    if (!settings)
        return settings.error();
    auto predetermined = readOrEmpty(programFile(programDir, files::kPredetermined));
    if (!predetermined)
        return predetermined.error();
    auto excluded = readOrEmpty(programFile(programDir, files::kExclusions));
    if (!excluded)
        return excluded.error();

    // Names, counts and batches decide; prize names and pictures do not.
    const int lucks = settings->readInteger("Option", "Lucks", 0);
    std::string awards = "Lucks=" + std::to_string(lucks) + "\r\nscrolldown=" +
                         (settings->readBool("Option", "scrolldown", true) ? "1" : "0") + "\r\n";
    std::string grouping = std::string("canfz=") + (settings->readBool("Option", "canfz", false) ? "1" : "0") + "\r\n";
    for (int i = 0; i < lucks && i < 50; ++i) {
        const std::string value = settings->readString("Grade", std::to_string(i));
        awards += std::to_string(i) + "=";
        for (int f = 1; f <= 4; ++f)
            awards += (f > 1 ? "|" : "") + SplitField(value, '|', f);
        awards += "\r\n";
        grouping += std::to_string(i) + "=" + settings->readString("Grfz", std::to_string(i)) + "\r\n";
    }
    const std::string mode = std::string("active=") + (listsActive ? "1" : "0") +
                             "\r\nntfs=" + std::to_string(settings->readInteger("Option", "ntfs", 0)) +
                             "\r\nntcanrandom=" + (settings->readBool("Option", "ntcanrandom", true) ? "1" : "0") +
                             "\r\ncanreAward=" + (settings->readBool("Option", "canreAward", false) ? "1" : "0") +
                             "\r\n";
    std::string text(kInputsMagic);
    text += "\r\n";
    addPart(text, "data.txt", *list);
    addPart(text, "awards", awards);
    addPart(text, "grouping", grouping);
    addPart(text, "Read.reb", *predetermined);
    addPart(text, "write.reb", *excluded);
    addPart(text, "lists", mode);
    return text;
}

std::optional<std::map<std::string, std::string>> parseDrawInputs(std::string_view text)
{
    std::map<std::string, std::string> parts;
    if (!text.starts_with(kInputsMagic) || text.substr(kInputsMagic.size(), 2) != "\r\n")
        return std::nullopt;
    size_t pos = kInputsMagic.size() + 2;
    while (pos < text.size()) {
        const size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string_view head = text.substr(pos, end - pos);
        const size_t space = head.rfind(' ');
        if (space == std::string_view::npos)
            return std::nullopt;
        size_t length = 0;
        const std::string_view digits = head.substr(space + 1);
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (ec != std::errc() || ptr != digits.data() + digits.size())
            return std::nullopt;
        pos = end + 2;
        if (length > text.size() - pos || text.size() - pos - length < 2 || text.substr(pos + length, 2) != "\r\n")
            return std::nullopt;
        parts[std::string(head.substr(0, space))] = std::string(text.substr(pos, length));
        pos += length + 2;
    }
    return parts;
}

std::string commitmentHex(const std::string &seed, std::string_view inputs)
{
    return toHex(sha256(seed + digestBytes(sha256(inputs))));
}

std::string shortCommitment(const std::string &hex)
{
    std::string out;
    for (size_t i = 0; i < 32 && i < hex.size(); ++i) {
        if (i && i % 4 == 0)
            out += ' ';
        out += hex[i];
    }
    return out;
}

std::map<int, std::string> parseSeedFile(std::string_view text)
{
    std::map<int, std::string> seeds;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t bar = line.find('|');
        int n = 0;
        std::string seed;
        if (bar == std::string_view::npos || !parseInteger(line.substr(0, bar), n) ||
            !fromHex(line.substr(bar + 1), seed) || seed.size() != 32)
            continue;
        seeds[n] = seed;
    }
    return seeds;
}

Status DrawProof::load()
{
    m_pending.clear();
    m_chain = AuditChain();
    m_seed.clear();
    m_commitment.clear();
    m_number = 0;
    m_revealed = false;
    auto text = readOrEmpty(m_dir / kAuditLog);
    if (!text)
        return text.error();
    AuditReadout readout = readAuditLog(*text);
    if (!readout.lines.empty())
        m_chain = AuditChain(readout.lines.back().seq, readout.lines.back().hash);
    for (const auto &line : readout.lines) {
        if (line.kind == "commit") {
            parseInteger(line.field("n"), m_number);
            m_commitment = line.field("C");
            m_revealed = false;
        } else if (line.kind == "reveal") {
            m_revealed = true;
        }
    }
    Status fault = Ok{};
    if (readout.faultLine != 0)
        fault = makeError(ErrorCode::Inconsistent,
                          TSL_GBK("抽奖校验记录audit.log第") + std::to_string(readout.faultLine) + TSL_GBK("行：") +
                              readout.fault + TSL_GBK("。验证这次抽奖时会在这一行报告不符。"));
    if (m_number == 0)
        return fault;
    auto seeds = readOrEmpty(seedFilePath(m_dir));
    if (!seeds)
        return seeds.error();
    const auto all = parseSeedFile(*seeds);
    if (auto it = all.find(m_number); it != all.end())
        m_seed = it->second;
    return fault;
}

Status DrawProof::beginCommitment(const std::string &reason, bool listsActive, int carriedRecords,
                                  const std::vector<int> &drawn)
{
    Result<std::string> seed = m_seedSource ? Result<std::string>(m_seedSource()) : osRandomBytes(32);
    if (!seed)
        return seed.error();
    auto inputs = composeDrawInputs(m_dir, listsActive);
    if (!inputs)
        return inputs.error();
    const int number = m_number + 1;
    std::error_code ec;
    const fs::path folder = m_dir / kProofFolder;
    // Made durable in the event folder: a power cut must not take the seeds' folder away.
    if (Status made = makeFolderDurable(folder); !made)
        return made;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    const fs::path seedPath = seedFilePath(m_dir);
    // The seed is on disk before its commitment is published anywhere.
    if (Status kept = appendFileDurable(seedPath, std::to_string(number) + "|" + toHex(*seed) + "\r\n"); !kept)
        return kept;
    fs::permissions(seedPath, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
    if (Status written = writeFileAtomic(m_dir / inputsFileName(number), *inputs); !written)
        return written;

    m_number = number;
    m_seed = *seed;
    m_revealed = false;
    m_commitment = commitmentHex(m_seed, *inputs);
    std::string drawnText;
    for (int entry : drawn)
        drawnText += (drawnText.empty() ? "" : ",") + std::to_string(entry);
    add("commit", {{"n", std::to_string(number)},
                   {"reason", reason},
                   {"inputs", toHex(sha256(*inputs))},
                   {"C", m_commitment},
                   {"records", std::to_string(carriedRecords)},
                   {"drawn", drawnText}});
    return Ok{};
}

void DrawProof::add(std::string_view kind, const AuditFields &fields)
{
    m_pending += m_chain.append(kind, fields);
}

std::string DrawProof::purpose(const std::string &what, int commitment, long long seq)
{
    return what + "|" + std::to_string(commitment) + "|" + std::to_string(seq);
}

ProofRandom DrawProof::generatorFor(int award, const std::string &guestNumbers, const std::string &what) const
{
    return ProofRandom(awardSeed(m_seed, award, guestNumbers), purpose(what, m_number, m_chain.nextSeq()));
}

}  // namespace tessaly
