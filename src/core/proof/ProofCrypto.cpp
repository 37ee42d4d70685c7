#include "proof/ProofCrypto.h"

#include "text/Gbk.h"
#include "text/Hex.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/random.h>

#include <cerrno>

namespace tessaly {

Digest sha256(std::string_view bytes)
{
    Digest out{};
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), out.data(), &length, EVP_sha256(), nullptr);
    return out;
}

Digest hmacSha256(std::string_view key, std::string_view message)
{
    Digest out{};
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char *>(message.data()), message.size(), out.data(), &length);
    return out;
}

std::string toHex(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string digestBytes(const Digest &digest)
{
    return std::string(reinterpret_cast<const char *>(digest.data()), digest.size());
}

std::string toHex(const Digest &digest)
{
    return toHex(digestBytes(digest));
}

bool fromHex(std::string_view hex, std::string &bytes)
{
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexDigitValue(hex[i]), lo = hexDigitValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

Result<std::string> osRandomBytes(size_t count)
{
    std::string bytes(count, '\0');
    size_t filled = 0;
    while (filled < count) {
        const ssize_t got = getrandom(bytes.data() + filled, count - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return makeError(ErrorCode::FileRead, TSL_GBK("无法从操作系统取得随机数，不能生成抽奖种子。"));
        }
        filled += static_cast<size_t>(got);
    }
    return bytes;
}

}  // namespace tessaly
