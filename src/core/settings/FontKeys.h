// The seven font keys every styled element stores: Font.Charset, Font.Color,
// Font.Height, Font.Name, Font.Pitch, Font.Size and Font.Style.
#pragma once

#include "settings/Encodings.h"
#include "settings/IniStore.h"

#include <string>

namespace tessaly {

struct FontSpec {
    int charset = kGb2312Charset;
    TColor color = colors::clNavy;
    int height = -64;
    std::string name;  // GBK, such as "黑体"
    FontPitch pitch = FontPitch::fpDefault;
    int size = 48;
    unsigned style = fsBold;

    bool operator==(const FontSpec &) const = default;
};

// The slot font used when a layout has stored none: 48 pt bold navy 黑体.
FontSpec defaultSlotFont();

// Largest font size or height a stored layout may ask for.
inline constexpr int kMaxFontSize = 2000;

// Reads the keys in their order (so Font.Size wins over Font.Height); a missing
// key keeps the value `base` has.
FontSpec readFontKeys(const IniStore &store, std::string_view section, const FontSpec &base,
                      std::string_view prefix = "Font.");
void writeFontKeys(IniStore &store, std::string_view section, const FontSpec &font, std::string_view prefix = "Font.");

// Pixel height of a point size on a 96 dpi screen, as stored in Font.Height (negative).
int fontHeightForSize(int size);

}  // namespace tessaly
