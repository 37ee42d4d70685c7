// The check-in files as a damaged disk or a hand edit may leave them:
// checkin_codes.dat, checkin.dat and checkin_pools.dat, separated by lines "~~~~". Every code read
// is a code of the alphabet and found again by itself; writing the book and
// reading it back gives the same book; every check-in line read formats and
// reads back as itself; the torn tail is never counted as a line; and every
// pool read names only entries of the list and writes back as itself.
#include "FuzzSupport.h"

#include "checkin/CheckInCodes.h"
#include "checkin/CheckInLog.h"
#include "checkin/HallPool.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 3);

    const CheckInCodes codes = CheckInCodes::parse(parts[0]);
    const std::string formatted = codes.format();
    const CheckInCodes again = CheckInCodes::parse(formatted);
    FUZZ_CHECK(again.format() == formatted);
    FUZZ_CHECK(again.size() == codes.size());

    const CheckInReadout readout = readCheckInLines(parts[1]);
    FUZZ_CHECK(readout.goodLength <= parts[1].size());
    FUZZ_CHECK(readout.goodLength == 0 || parts[1][readout.goodLength - 1] == '\n');
    FUZZ_CHECK(readout.tornTail == (readout.goodLength < parts[1].size()));
    std::string rewritten;
    for (const auto &line : readout.lines)
        rewritten += formatCheckInLine(line);
    const CheckInReadout reread = readCheckInLines(rewritten);
    FUZZ_CHECK(reread.lines.size() == readout.lines.size() && reread.damaged == 0 && !reread.tornTail);
    CheckInState state;
    for (const auto &line : readout.lines)
        state.apply(line);
    FUZZ_CHECK(state.byCode.size() <= readout.lines.size());
    for (const auto &[device, code] : state.codeOfDevice)
        FUZZ_CHECK(state.byCode.count(code) && state.byCode.at(code).device == device);

    constexpr size_t kEntries = 500;
    const HallPools pools = parseHallPools(parts[2], kEntries);
    for (const auto &[award, pool] : pools)
        for (int entry : pool)
            FUZZ_CHECK(award >= 0 && entry >= 0 && static_cast<size_t>(entry) < kEntries);
    FUZZ_CHECK(parseHallPools(formatHallPools(pools), kEntries) == pools);
    return 0;
}
