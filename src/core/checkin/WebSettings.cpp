#include "checkin/WebSettings.h"

#include "settings/IniStore.h"

#include <arpa/inet.h>
#include <charconv>

namespace tessaly {

WebSettings readWebSettings(const IniStore &settings)
{
    WebSettings web;
    web.enabled = settings.readBool("Web", "enabled", false);
    web.address = settings.readString("Web", "address", "");
    web.port = settings.readInteger("Web", "port", 8080, 1, 65535, nullptr);
    web.onlyCheckedIn = settings.readBool("Web", "onlycheckedin", false);
    web.hallCode = settings.readBool("Web", "hallcode", true);
    return web;
}

void writeWebSettings(IniStore &settings, const WebSettings &web)
{
    settings.writeBool("Web", "enabled", web.enabled);
    settings.writeString("Web", "address", web.address);
    settings.writeInteger("Web", "port", web.port);
    settings.writeBool("Web", "onlycheckedin", web.onlyCheckedIn);
    settings.writeBool("Web", "hallcode", web.hallCode);
}

bool isIpv4Address(const std::string &text)
{
    in_addr parsed{};
    return ::inet_pton(AF_INET, text.c_str(), &parsed) == 1 && parsed.s_addr != htonl(INADDR_ANY);
}

std::optional<std::pair<std::string, int>> parseListenAddress(const std::string &text)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const std::string address = text.substr(0, colon);
    int port = 0;
    const char *begin = text.data() + colon + 1, *end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(begin, end, port);
    if (ec != std::errc() || ptr != end || begin == end || port < 1 || port > 65535 || !isIpv4Address(address))
        return std::nullopt;
    return std::make_pair(address, port);
}

}  // namespace tessaly
