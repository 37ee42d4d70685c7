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
    FUZZ_CHECK(position.CurrentAward >= 0 && position.CurrentAward < kMaxAwards);
    FUZZ_CHECK(position.CurrentBatch >= 1);
    FUZZ_CHECK(position.OrderCursor >= -1 && position.DrawnInAward >= 0 && position.OrderFloor >= 0);
    const GradeConfig grade = readConfigGrade(store, dir);
    FUZZ_CHECK(grade.awards.AwardCount >= 0 && grade.awards.AwardCount <= kMaxAwards);
    FUZZ_CHECK(grade.IntervalTime >= 1);
    for (int i = 0; i < grade.awards.AwardCount; ++i)
        for (int k = 1; k <= 3; ++k)
            (void)grade.awards[i].batchWinners(k);
    (void)readPrivacyMask(dir);
    for (const auto &section : {"FirstTitle", "Status", "5all", "21", "SresultText"}) {
        const FontSpec font = readFontKeys(store, section, defaultSlotFont(), "Font.");
        FUZZ_CHECK(font.size >= 1 && font.size <= kMaxFontSize);
        FUZZ_CHECK(font.height >= -kMaxFontSize && font.height <= kMaxFontSize);
        TAAEffect effect;
        (void)loadEffect(store, section, "Effect.FontEffect.", effect);
    }
    for (int n : {1, 5, 20, 21, 100}) {
        if (n <= kMaxSlots) {
            const SlotGridLayout grid = readSlotGridLayout(store, n);
            FUZZ_CHECK(grid.font.size >= 1 && grid.font.size <= kMaxFontSize);
            FUZZ_CHECK(grid.chosenFontSize() >= grid.font.size && grid.chosenFontSize() <= kMaxFontSize);
        } else {
            // The stored row length and spacing reach the text of the block as they are.
            const SlotBlockLayout block = readSlotBlockLayout(store, n);
            FUZZ_CHECK(block.font.size >= 1 && block.font.size <= kMaxFontSize);
            FUZZ_CHECK(block.chosenFontSize() >= block.font.size && block.chosenFontSize() <= kMaxFontSize);
            const std::vector<std::string> entries(5, "ab");
            const std::string text = composeSlotBlockText(entries, block.row, block.space, block.blankLine, false);
            FUZZ_CHECK(text.size() <= 5 * (2 + 28 + 2) + 4);
        }
    }
    const SlotAutoSet autoset = readSlotAutoSet(store);
    (void)autoset;
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
