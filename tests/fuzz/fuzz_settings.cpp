// The settings store and every typed reader over a set.dat as found: nothing
// crashes or overflows, every number a reader hands on is inside the range its
// meaning allows, and a write changes its own key and no other.
#include "FuzzSupport.h"

#include "draw/DrawRecord.h"
#include "draw/DrawState.h"
#include "participants/ParticipantList.h"
#include "settings/AwardTable.h"
#include "settings/EffectRecord.h"
#include "settings/FontKeys.h"
#include "settings/Settings.h"
#include "stage/SlotLayout.h"
#include "text/Lines.h"

#include <map>
#include <utility>

using namespace tessaly;

namespace {

void readEverything(const IniStore &store, const std::filesystem::path &dir)
{
    const DrawOptions options = readDrawOptions(store);
    (void)options;
    const DrawPosition position = readDrawPosition(store);
    (void)position;
    const GradeConfig grade = readConfigGrade(store, dir);
    FUZZ_CHECK(grade.awards.AwardCount >= 0 && grade.awards.AwardCount <= kMaxAwards);
    FUZZ_CHECK(grade.IntervalTime >= 1);
    for (int i = 0; i < grade.awards.AwardCount; ++i)
        for (int k = 1; k <= 3; ++k)
            (void)grade.awards[i].batchWinners(k);
    (void)readPrivacyMask(dir);
    for (const auto &section : {"FirstTitle", "Status", "5all", "21", "SresultText"}) {
        (void)readFontKeys(store, section, defaultSlotFont(), "Font.");
        TAAEffect effect;
        (void)loadEffect(store, section, "Effect.FontEffect.", effect);
    }
    for (int n : {1, 5, 20, 21, 100}) {
        if (n <= kMaxSlots)
            (void)readSlotGridLayout(store, n);
        else
            (void)readSlotBlockLayout(store, n);
    }
    (void)readSlotAutoSet(store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    folder.clear();
    folder.write("set.dat", fuzz::asText(data, size));
    auto store = openSettings(folder.path());
    FUZZ_CHECK(store.ok());
    readEverything(*store, folder.path());

    // Every value as it reads now, then one write per section's first key.
    std::map<std::pair<std::string, std::string>, std::string> before;
    std::vector<std::pair<std::string, std::string>> firstKeys;
    const std::string text(fuzz::asText(data, size));
    for (const std::string &section : {std::string("Option"), std::string("Grade"), std::string("GrStatus")}) {
        for (const auto &key : store->keys(section)) {
            before[{section, key}] = store->readString(section, key);
            if (firstKeys.empty() || firstKeys.back().first != section)
                firstKeys.emplace_back(section, key);
        }
    }
    if (firstKeys.empty())
        firstKeys.emplace_back("Option", "Lucks");
    for (const auto &[section, key] : firstKeys)
        store->writeString(section, key, "fuzz value");
    if (!store->commit())
        return 0;
    auto again = openSettings(folder.path());
    FUZZ_CHECK(again.ok());
    for (const auto &[where, value] : before) {
        bool written = false;
        for (const auto &k : firstKeys)
            written = written || (asciiLower(k.first) == asciiLower(where.first) &&
                                  asciiLower(k.second) == asciiLower(where.second));
        FUZZ_CHECK(again->readString(where.first, where.second) == (written ? "fuzz value" : value));
    }
    readEverything(*again, folder.path());
    return 0;
}
