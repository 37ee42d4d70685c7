// A program folder with numbered participants and an award table, and a draw
// session over it started as the window starts it.
#pragma once

#include "TempProgramDir.h"

#include "core/draw/DrawSession.h"
#include "core/settings/IniStore.h"

#include <random>
#include <string>
#include <vector>

namespace tessaly::test {

class FixedClock : public Clock {
public:
    LocalDateTime now() const override { return {2026, 12, 8, 19, 5, 3}; }
};

struct AwardRow {
    std::string name;  // UTF-8
    int winners;
    int batches;
    std::string detail;
};

inline constexpr int kSpace = 32;

// Participants P0, P1, ... (or the given lines) and the awards.
class DrawFolder : public TempProgramDir {
public:
    DrawFolder(int entries, const std::vector<AwardRow> &awards, const std::string &options = {},
               const std::string &sections = {})
    {
        std::string set = "[Option]\r\nLucks=" + std::to_string(awards.size()) + "\r\nscreenmain=1024*768\r\n" +
                          options + "[Grade]\r\n";
        for (size_t i = 0; i < awards.size(); ++i)
            set += std::to_string(i) + "=" + G(awards[i].name) + "|" + std::to_string(awards[i].winners) + "|" +
                   std::to_string(awards[i].batches) + "|" + awards[i].detail + "|" + G("奖品") + std::to_string(i) +
                   "|Awardimg\\p.jpg\r\n";
        write("set.dat", set + sections);
        std::string data;
        for (int i = 0; i < entries; ++i)
            data += "P" + std::to_string(i) + "\r\n";
        write("data.txt", data);
        for (const char *name : {"ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt"})
            write(name, "");
    }

    std::string value(const std::string &section, const std::string &key) const
    {
        return IniStore::open(*this / "set.dat")->readString(section, key);
    }
    std::string option(const std::string &key) const { return value("Option", key); }
};

struct Program {
    FixedClock clock;
    MtRandom random;
    DrawSession session;
    std::mt19937_64 seeds;
    DrawOutcome shown;  // what the start showed

    explicit Program(const DrawFolder &dir, std::uint64_t seed = 7)
        : random(seed), session(dir.path(), random, clock), seeds(seed)
    {
        // The committed seeds follow the test's seed too, so a draw can be replayed exactly.
        session.setSeedSource([this] {
            std::string bytes;
            for (int i = 0; i < 4; ++i) {
                const std::uint64_t word = seeds();
                for (int b = 0; b < 8; ++b)
                    bytes += static_cast<char>((word >> (8 * b)) & 0xff);
            }
            return bytes;
        });
        session.FormCreate(false);
        shown = session.FormShow("1024*768");
    }

    // From a stopped or ready state: prepare when needed, roll one tick, stop.
    DrawOutcome batch()
    {
        if (!session.flags().BatchReady)
            session.FormKeyUp(kSpace);
        session.FormKeyUp(kSpace);
        session.Timer1Timer();
        return session.FormKeyUp(kSpace);
    }
};

inline std::string texts(const DrawOutcome &out)
{
    std::string all;
    for (const auto &n : out.notices)
        all += n.text + "\n";
    return all;
}

inline bool mentions(const DrawOutcome &out, const std::string &utf8)
{
    return texts(out).find(G(utf8)) != std::string::npos;
}

}  // namespace tessaly::test
