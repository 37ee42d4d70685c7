// How much memory this test process holds, read from /proc/self/status, so a
// test can say that a window stays within bounds whatever it was given.
#pragma once

#include <fstream>
#include <string>

namespace tessaly::test {

// A field of /proc/self/status in MiB: "VmRSS:" now, "VmHWM:" the peak so far.
inline long processMiB(const char *field = "VmRSS:")
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == field) {
            long kib = 0;
            status >> kib;
            return kib / 1024;
        }
    return 0;
}

}  // namespace tessaly::test
