// The advanced settings: the ready prompt, the four award-status templates,
// the logo, and the guest announcements shown before particular batches
// (section MarqueeStatus, key "award-batch" counted from 1).
#pragma once

#include "settings/IniStore.h"

#include <string>
#include <vector>

namespace tessaly {

struct AdvancedTexts {
    std::string readyPrompt;  // readyLuck/Caption
    std::string qCaption, Caption, bCaption, bhCaption;  // GrStatus
    std::string logo;         // Option/logoImgBG
    bool bosscenter = true;
};

AdvancedTexts readAdvancedTexts(const IniStore &settings);
// The captions go between single quotes as typed, so their blanks survive.
void writeAdvancedTexts(IniStore &settings, const AdvancedTexts &texts);

// One batch of the award table as the dialog lists it.
struct BatchItem {
    std::string label;  // award name, "第", batch, "批"
    std::string key;    // award number "-" batch, both from 1
};

std::vector<BatchItem> batchItems(const IniStore &settings);

// An announcement line: key "[" label "]:" text.
std::string announcementLine(const BatchItem &batch, const std::string &text);
// The lines of the stored announcements, in the order of the batches.
std::vector<std::string> readAnnouncements(const IniStore &settings, const std::vector<BatchItem> &batches);

std::string announcementKey(const std::string &line);    // before the first "["
std::string announcementLabel(const std::string &line);  // between the first "[" and the next "]"
std::string announcementText(const std::string &line);   // after the first "]:"

// OK of the dialog: the noted keys removed, then each line stored under its
// key with the text up to its next colon; a later line for a key wins.
void writeAnnouncements(IniStore &settings, const std::vector<std::string> &lines,
                        const std::vector<std::string> &deletedKeys);

}  // namespace tessaly
