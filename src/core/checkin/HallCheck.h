// What the pre-event check says about the hall's pages: the codes and check-in
// files, the listening address and whether the open-file limit lets a
// thousand phones in.
#pragma once

#include "event/PreEventCheck.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

class IniStore;

std::vector<CheckFinding> checkHallFiles(const std::filesystem::path &folder, const IniStore &settings,
                                         const std::vector<std::string> &names);

// The IPv4 addresses of this machine's interfaces that are up, loopback last.
std::vector<std::string> machineAddresses();

}  // namespace tessaly
