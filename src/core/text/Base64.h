// Base64 with the standard alphabet and "=" fill, for protected texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

std::string base64Encode(std::string_view bytes);

// Nothing when the text is not Base64; blanks and line breaks are skipped.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace tessaly
