// The settings store and every typed reader over a set.dat as found: nothing
// crashes or overflows, every number a reader hands on is inside the range its
// meaning allows (the stage, the photo stage, the winners window, the lock and
// the special settings), and a write changes its own key and no other.
#include "FuzzSupport.h"

#include "draw/DrawOrder.h"
#include "draw/DrawRecord.h"
#include "draw/DrawState.h"
#include "participants/ParticipantList.h"
#include "settings/AwardTable.h"
#include "settings/EffectRecord.h"
#include "settings/FontKeys.h"
#include "settings/Settings.h"
#include "special/Grouping.h"
#include "special/HotKeys.h"
#include "special/Secrets.h"
#include "special/SpecialLists.h"
#include "stage/PhotoGrid.h"
#include "stage/ResultsText.h"
#include "stage/SlotLayout.h"
#include "text/Lines.h"
#include "winners/WinnersView.h"

#include <algorithm>

#include <cstdlib>
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

    // The photo stage: a slot no screen can show is never handed on.
    for (int n : {1, 7, 31, 200}) {
        const PhotoSlotLayout photo = readPhotoSlotLayout(store, n);
        FUZZ_CHECK(photo.width >= 1 && photo.width <= kMaxPhotoSlotSide);
        FUZZ_CHECK(photo.height >= 1 && photo.height <= kMaxPhotoSlotSide);
        FUZZ_CHECK(photo.positions.size() == static_cast<size_t>(n));
        for (const auto &p : photo.positions)
            FUZZ_CHECK(std::abs(p.left) <= kMaxPhotoSlotSide && std::abs(p.top) <= kMaxPhotoSlotSide);
        FUZZ_CHECK(photo.captionFont.size >= 1 && photo.captionFont.size <= kMaxFontSize);
        FUZZ_CHECK(photo.outOfRange == !photoSlotLayoutNotice(photo, n).empty());  // what was set aside is named
        const PhotoAutoSet set = readPhotoAutoSet(store, n);
        FUZZ_CHECK(set.grid.columns >= 1 && set.grid.columns <= kMaxPhotoSlots);
        FUZZ_CHECK(set.grid.width >= 1 && set.grid.width <= 10000 && set.grid.height >= 1 && set.grid.height <= 10000);
    }

    // The winners window: rows it can lay out, fonts it can draw.
    for (int award : {0, 7, 49}) {
        const WinnersTextStyle text = readWinnersTextStyle(store, award);
        FUZZ_CHECK(text.font.size >= 1 && text.font.size <= kMaxFontSize);
        (void)readWinnersPhotoStyle(store, award);
        for (WinnersCaption which : {WinnersCaption::Names, WinnersCaption::Award}) {
            const FontSpec font = readWinnersCaptionFont(store, which, award);
            FUZZ_CHECK(font.size >= 1 && font.size <= kMaxFontSize);
        }
        const int perRow = winnersWindowPerRow(store, award);
        FUZZ_CHECK(perRow >= 1 && perRow <= kMaxResultsPerRow);
        FUZZ_CHECK(perRow == text.perRow);
    }
    const StoredPerRow results = resultsWindowPerRow(store);
    FUZZ_CHECK(results.perRow >= 1 && results.perRow <= kMaxResultsPerRow);
    FUZZ_CHECK(results.bad.has_value() == !perRowNotice("", results).empty());

    // The lock and the special settings: a secret is one somebody can type or
    // none, a hot key is one the rule allows or off, and the grouping ranges
    // never reach outside the list.
    for (const char *key : {"locksremm", "sndmm"}) {
        const auto secret = storedSecret(store, key);
        FUZZ_CHECK(!secret || isTypeableSecret(*secret));
        FUZZ_CHECK(secret.has_value() == unusableSecretNotice(store, key).empty());
    }
    int sndfo = -1, sndst = -1;
    readHotKeys(store, sndfo, sndst);
    const int startkey = store.readInteger("Option", "startkey", 32);
    FUZZ_CHECK(sndfo == 0 || checkHotKey(sndfo, -1, startkey) == HotKeyFault::None);
    FUZZ_CHECK(sndst == 0 || checkHotKey(sndst, sndfo, startkey) == HotKeyFault::None);
    FUZZ_CHECK((sndfo == 0 || sndst == 0) == !storedHotKeyProblems(store).empty());
    const int mode = static_cast<int>(readListMode(store));
    FUZZ_CHECK(mode >= 0 && mode <= 2);
    const int lucks = std::clamp(store.readInteger("Option", "Lucks", 0), 0, kMaxAwards);
    FUZZ_CHECK(readGroupItems(store, lucks).size() <= static_cast<size_t>(lucks));
    for (int i = 0; i < lucks; ++i)
        if (const auto range = parseGroupRange(store.readString("Grfz", std::to_string(i)))) {
            const EntryRange r = entryRangeOfLines(range->first, range->last, 30);
            FUZZ_CHECK(r.last < r.first || (r.first >= 0 && r.last < 30));
        }
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
