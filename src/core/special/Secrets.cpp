#include "special/Secrets.h"

#include "text/Base64.h"
#include "text/Lines.h"

namespace tessaly {

std::string encodeSecret(std::string_view typed)
{
    return base64Encode(trimBlanks(typed));
}

std::optional<std::string> storedSecret(const IniStore &settings, std::string_view key)
{
    if (!settings.hasKey("Option", key))
        return std::string();
    return base64Decode(settings.readString("Option", key));
}

bool secretMatches(std::string_view typed, const std::optional<std::string> &expected)
{
    return expected && trimBlanks(typed) == *expected;
}

PasswordChange checkPasswordChange(std::string_view oldTyped, std::string_view newTyped, std::string_view confirmTyped,
                                   const std::optional<std::string> &current)
{
    if (trimBlanks(newTyped) != trimBlanks(confirmTyped))
        return PasswordChange::ConfirmationDiffers;
    if (!secretMatches(oldTyped, current))
        return PasswordChange::OldPasswordWrong;
    return PasswordChange::Done;
}

}  // namespace tessaly
