// How an award's order build is written into audit.log and read back: every
// input of buildDrawOrder (the rules in force, the predetermined and excluded
// names) and the hashes of the pool it drew from and of the order it made, so
// a verifier rebuilds the same order from the same pool.
#pragma once

#include "draw/DrawOrder.h"
#include "proof/AuditLog.h"

#include <string>

namespace tessaly {

// Hex SHA-256 of the pool: the entries of the range not drawn yet, one index per CR LF line.
std::string poolDigest(const ParticipantLists &lists, const EntryRange &range);
// Hex SHA-256 of tmda.jpg's text for an order.
std::string orderDigest(const std::vector<int> &order);

// `what` tells an award's own order ("order"), a jump to an award ("jump") and
// a supplement ("supplement") apart.
AuditFields orderLineFields(const DrawOrderRequest &request, const std::string &what, const std::string &pool,
                            const DrawOrder &order);
// The request of an order line; false when a field is missing or malformed.
bool orderRequestOf(const AuditLine &line, DrawOrderRequest &request);

}  // namespace tessaly
