// The proof readers over files from anyone: audit.log, ARecord.dat, data.txt,
// a commitment's inputs and a seed file, separated by lines "~~~~", and the
// whole input as a proof bundle. The chain read back is a chain; the verifier
// names a difference exactly when it finds one; a bundle read stays in bounds.
#include "FuzzSupport.h"

#include "proof/AuditLog.h"
#include "proof/DrawProof.h"
#include "proof/ProofCrypto.h"
#include "proof/ProofVerify.h"

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input = fuzz::asText(data, size);
    const auto parts = fuzz::splitParts(input, 5);

    const AuditReadout readout = readAuditLog(parts[0]);
    FUZZ_CHECK((readout.faultLine == 0) == readout.fault.empty());
    std::string prev = kChainStart;
    for (size_t i = 0; i < readout.lines.size(); ++i) {
        FUZZ_CHECK(readout.lines[i].seq == static_cast<long long>(i) + 1);
        FUZZ_CHECK(readout.lines[i].prev == prev);
        prev = readout.lines[i].hash;
    }
    FUZZ_CHECK(readout.faultLine == 0 || readout.faultLine == static_cast<int>(readout.lines.size()) + 1);

    if (auto inputs = parseDrawInputs(parts[3])) {
        size_t total = 0;
        for (const auto &[name, bytes] : *inputs)
            total += name.size() + bytes.size();
        FUZZ_CHECK(total <= parts[3].size());
    }

    ProofFiles files{{"audit.log", parts[0]},
                     {"ARecord.dat", parts[1]},
                     {"data.txt", parts[2]},
                     {"proof/inputs-1.txt", parts[3]},
                     {"proof/seed.txt", parts[4]}};
    const VerifyResult result = verifyProof(files);
    FUZZ_CHECK((result.outcome == VerifyOutcome::Mismatch) == !result.firstDifference.empty());
    FUZZ_CHECK(!result.report.empty());

    if (auto bundle = readProofBundle(input)) {
        size_t total = 0;
        for (const auto &[name, bytes] : *bundle)
            total += bytes.size();
        FUZZ_CHECK(total <= size * 4096 + (1u << 20));  // nothing beyond what the archive can expand to
        verifyProof(*bundle);
    }
    return 0;
}
