// The settings of the hall's pages in set.dat, section Web: whether the server
// runs, where it listens, and whether check-in decides who may win.
#pragma once

#include "Result.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessaly {

class IniStore;

struct WebSettings {
    bool enabled = false;       // enabled: the server starts with the stage
    std::string address;        // address: one of the machine's addresses, never all of them
    int port = 8080;            // port
    bool onlyCheckedIn = false; // onlycheckedin: "只抽已签到的人"
    bool hallCode = true;       // hallcode: 1 the check-in asks for the code the stage shows
};

WebSettings readWebSettings(const IniStore &settings);
void writeWebSettings(IniStore &settings, const WebSettings &web);

// "ADDRESS:PORT" as given to --web: an IPv4 address (no host names, no "all
// addresses") and a port from 1 to 65535.
std::optional<std::pair<std::string, int>> parseListenAddress(const std::string &text);
bool isIpv4Address(const std::string &text);

}  // namespace tessaly
