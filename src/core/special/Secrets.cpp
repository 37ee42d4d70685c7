#include "special/Secrets.h"

#include "text/Base64.h"
#include "text/Gbk.h"
#include "text/Lines.h"

namespace tessaly {

std::string encodeSecret(std::string_view typed)
{
    return base64Encode(trimBlanks(typed));
}

bool isTypeableSecret(std::string_view secret)
{
    if (!isValidGbk(secret) || trimBlanks(secret) != secret)
        return false;
    for (char c : secret)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

std::optional<std::string> storedSecret(const IniStore &settings, std::string_view key)
{
    if (!settings.hasKey("Option", key))
        return std::string();
    auto secret = base64Decode(settings.readString("Option", key));
    if (!secret || !isTypeableSecret(*secret))
        return std::nullopt;
    return secret;
}

std::string unusableSecretNotice(const IniStore &settings, std::string_view key)
{
    if (storedSecret(settings, key))
        return {};
    const std::string what = key == "locksremm" ? TSL_GBK("锁屏密码") : TSL_GBK("特殊功能设定的进入密码");
    return TSL_GBK("set.dat中保存的") + what + TSL_GBK("无法输入（不是可以键入的文字）。删除set.dat的[Option]中以") +
           std::string(key) + TSL_GBK("=开头的一行，即恢复为空密码。");
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
