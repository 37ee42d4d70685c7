// SHA-256, HMAC-SHA-256 and the operating system's random bytes, through
// OpenSSL's libcrypto: what the published commitment and the audit chain rest on.
#pragma once

#include "Result.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

using Digest = std::array<std::uint8_t, 32>;

Digest sha256(std::string_view bytes);
Digest hmacSha256(std::string_view key, std::string_view message);

// Lower-case hex of bytes, and back; fromHex fails on anything else.
std::string toHex(std::string_view bytes);
std::string toHex(const Digest &digest);
bool fromHex(std::string_view hex, std::string &bytes);
std::string digestBytes(const Digest &digest);

// `count` bytes from the operating system's random source.
Result<std::string> osRandomBytes(size_t count);

}  // namespace tessaly
