// The generator that decides winners, its seeds and the commitment: fixed
// outputs computed independently from the documented algorithm, so any change
// to it fails here.
#include "core/proof/AuditLog.h"
#include "core/proof/DrawProof.h"
#include "core/proof/ProofRandom.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

std::string bytesOf(const std::string &hex)
{
    std::string bytes;
    EXPECT_TRUE(fromHex(hex, bytes));
    return bytes;
}

const std::string kKey1 = "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f";
const std::string kKey2 = "25791589ced5e6b0b4f6ac3176dc15ecb901d177ec3a5683471c55f2339ffeee";  // SHA-256("tessaly")

TEST(ProofGenerator, OutputsForFixedKeysArePinned)
{
    struct Vector {
        std::string key, purpose;
        int n;
        std::vector<int> expected;
    };
    const std::vector<Vector> table = {
        {kKey1, "order|1|2", 10, {1, 0, 5, 0, 8, 4, 9, 7, 5, 5, 1, 3}},
        {kKey1, "order|1|3", 10, {5, 2, 2, 3, 6, 5, 2, 8, 6, 7, 7, 8}},
        {kKey2, "supplement|3|17", 1000, {740, 412, 436, 507, 798, 655, 508, 990}},
        {kKey2, "order|1|2", 3, {0, 0, 0, 0, 1, 1, 0, 1, 2, 1, 0, 1, 1, 1, 2, 2}},
        {kKey1, "jump|2|9", 2147483647, {1949192508, 1765799644, 410373050, 1472431431, 685446367, 895922532}},
        // The second word (4084200570) lies above the limit 3000000000 and is passed over.
        {kKey1, "order|1|2", 1500000000, {519995281, 479006565, 462611990, 892334068, 453217624, 310783359}},
    };
    for (const auto &v : table) {
        ProofRandom generator(bytesOf(v.key), v.purpose);
        std::vector<int> got;
        for (size_t i = 0; i < v.expected.size(); ++i)
            got.push_back(generator.below(v.n));
        EXPECT_EQ(got, v.expected) << v.purpose << " n=" << v.n;
    }
}

TEST(ProofGenerator, WordsCrossHmacBlocksInOrder)
{
    ProofRandom generator(bytesOf(kKey1), "order|1|2");
    const std::vector<std::uint32_t> expected = {2019995281u, 4084200570u, 1979006565u, 462611990u, 2392334068u,
                                                 1953217624u, 310783359u,  2946707207u, 1294460035u};
    for (auto word : expected)
        EXPECT_EQ(generator.nextWord(), word);
    // below(n) for n < 1 takes nothing from the stream.
    ProofRandom a(bytesOf(kKey1), "x"), b(bytesOf(kKey1), "x");
    EXPECT_EQ(a.below(0), 0);
    EXPECT_EQ(a.below(-3), 0);
    EXPECT_EQ(a.nextWord(), b.nextWord());
}

TEST(ProofGenerator, AwardSeedAndCommitmentArePinned)
{
    const std::string seed = bytesOf(kKey1);
    EXPECT_EQ(toHex(awardSeed(seed, 4, "")), "2f95db4b0a7de880458b19966f21918f9644106e8d2eb4aff23845703cd21492");
    EXPECT_EQ(toHex(awardSeed(seed, 0, "3141|27")), "d608454b1909ef39bce26f1873e671f771104cf64289b134dbf9ec9e7e1b6ec8");
    const std::string c = commitmentHex(seed, "Tessaly draw inputs 1\r\n");
    EXPECT_EQ(c, "3a4112f1c8f280be31eea99c0eca6966d7c6ba4db7e28570559993a4056b6a40");
    EXPECT_EQ(shortCommitment(c), "3a41 12f1 c8f2 80be 31ee a99c 0eca 6966");
}

TEST(ProofGenerator, OsSeedsDiffer)
{
    auto a = osRandomBytes(32), b = osRandomBytes(32);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), 32u);
    EXPECT_NE(*a, *b);
}

TEST(AuditLog, ChainIsReadBackAndEveryBreakIsNamed)
{
    AuditChain chain;
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += chain.append("stop", {{"award", std::to_string(i)}, {"winners", "1,2"}});
    const AuditReadout whole = readAuditLog(text);
    ASSERT_EQ(whole.faultLine, 0) << whole.fault;
    ASSERT_EQ(whole.lines.size(), 4u);
    EXPECT_EQ(whole.lines.back().hash, chain.head());
    EXPECT_EQ(whole.lines[2].field("award"), "2");
    EXPECT_EQ(whole.lines[0].prev, kChainStart);

    auto lines = [&text] {
        std::vector<std::string> out;
        for (size_t pos = 0; pos < text.size();) {
            size_t end = text.find("\r\n", pos) + 2;
            out.push_back(text.substr(pos, end - pos));
            pos = end;
        }
        return out;
    }();
    auto join = [](const std::vector<std::string> &parts) {
        std::string all;
        for (const auto &p : parts)
            all += p;
        return all;
    };
    struct Case {
        const char *what;
        std::string text;
        int faultLine;
    };
    auto removed = lines;
    removed.erase(removed.begin() + 1);
    auto swapped = lines;
    std::swap(swapped[1], swapped[2]);
    auto changed = lines;
    changed[2].replace(changed[2].find("award=2"), 7, "award=7");
    const std::vector<Case> cases = {
        {"a line removed", join(removed), 2},
        {"two lines swapped", join(swapped), 2},
        {"a line changed", join(changed), 4},
        {"cut inside the last line", text.substr(0, text.size() - 5), 4},
        {"not a line of ours", "1|xyz|stop\r\n", 1},
    };
    for (const auto &c : cases) {
        const AuditReadout r = readAuditLog(c.text);
        EXPECT_EQ(r.faultLine, c.faultLine) << c.what;
        EXPECT_FALSE(r.fault.empty()) << c.what;
    }
}

}  // namespace
}  // namespace tessaly
