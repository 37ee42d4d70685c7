// The two secrets of set.dat: the screen-lock password (Option/locksremm) and
// the access code of the special settings (Option/sndmm), each stored as
// Base64 of its GBK bytes after trimming.
#pragma once

#include "settings/IniStore.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// What the special settings show and store while sndmm is absent: eight
// characters, twelve in Base64.
inline constexpr const char *kDefaultAccessCode = "TSL-2026";

// The stored form of a typed secret.
std::string encodeSecret(std::string_view typed);

// Whether anyone can type the secret: valid GBK, no control byte, and no blank
// at either end (a typed entry is trimmed).
bool isTypeableSecret(std::string_view secret);

// The secret a key holds: the empty text when the key is absent, nothing when
// its value is not Base64 or decodes to a secret nobody can type (then no
// entry can match, and the caller says how to reset it).
std::optional<std::string> storedSecret(const IniStore &settings, std::string_view key);

// For locksremm or sndmm holding a secret nobody can type: what it guards and
// how to reset it (GBK); empty when the key is absent or usable.
std::string unusableSecretNotice(const IniStore &settings, std::string_view key);

// A typed entry against the expected secret: the entry is trimmed, the
// secret is not, and letter case counts.
bool secretMatches(std::string_view typed, const std::optional<std::string> &expected);

enum class PasswordChange { Done, ConfirmationDiffers, OldPasswordWrong };

// The checks of a password change in order.
PasswordChange checkPasswordChange(std::string_view oldTyped, std::string_view newTyped, std::string_view confirmTyped,
                                   const std::optional<std::string> &current);

}  // namespace tessaly
