#include "settings/Encodings.h"

#include "settings/IniStore.h"
#include "text/Base64.h"
#include "text/Lines.h"

#include <array>
#include <cstdio>

namespace tessaly {
namespace {

struct NamedColor {
    const char *name;
    TColor value;
};

constexpr std::array<NamedColor, 47> kNamedColors{{
    {"clBlack", colors::clBlack},
    {"clMaroon", colors::clMaroon},
    {"clGreen", colors::clGreen},
    {"clOlive", colors::clOlive},
    {"clNavy", colors::clNavy},
    {"clPurple", colors::clPurple},
    {"clTeal", colors::clTeal},
    {"clGray", colors::clGray},
    {"clSilver", colors::clSilver},
    {"clRed", colors::clRed},
    {"clLime", colors::clLime},
    {"clYellow", colors::clYellow},
    {"clBlue", colors::clBlue},
    {"clFuchsia", colors::clFuchsia},
    {"clAqua", colors::clAqua},
    {"clWhite", colors::clWhite},
    {"clMoneyGreen", colors::clMoneyGreen},
    {"clSkyBlue", colors::clSkyBlue},
    {"clCream", colors::clCream},
    {"clMedGray", colors::clMedGray},
    {"clNone", colors::clNone},
    {"clDefault", colors::clDefault},
    {"clScrollBar", colors::systemColor(0)},
    {"clBackground", colors::systemColor(1)},
    {"clActiveCaption", colors::systemColor(2)},
    {"clInactiveCaption", colors::systemColor(3)},
    {"clMenu", colors::systemColor(4)},
    {"clWindow", colors::systemColor(5)},
    {"clWindowFrame", colors::systemColor(6)},
    {"clMenuText", colors::systemColor(7)},
    {"clWindowText", colors::systemColor(8)},
    {"clCaptionText", colors::systemColor(9)},
    {"clActiveBorder", colors::systemColor(10)},
    {"clInactiveBorder", colors::systemColor(11)},
    {"clAppWorkSpace", colors::systemColor(12)},
    {"clHighlight", colors::systemColor(13)},
    {"clHighlightText", colors::systemColor(14)},
    {"clBtnFace", colors::systemColor(15)},
    {"clBtnShadow", colors::systemColor(16)},
    {"clGrayText", colors::systemColor(17)},
    {"clBtnText", colors::systemColor(18)},
    {"clInactiveCaptionText", colors::systemColor(19)},
    {"clBtnHighlight", colors::systemColor(20)},
    {"cl3DDkShadow", colors::systemColor(21)},
    {"cl3DLight", colors::systemColor(22)},
    {"clInfoText", colors::systemColor(23)},
    {"clInfoBk", colors::systemColor(24)},
}};

// Screen colours for the system colours, in the classic light desktop scheme (0xRRGGBB).
constexpr std::array<std::uint32_t, 25> kSystemRgb{{
    0xC8C8C8, 0x3A6EA5, 0x0A246A, 0x808080, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0xFFFFFF, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1,
}};

constexpr std::array<const char *, 4> kStyleNames{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr std::array<const char *, 3> kPitchNames{"fpDefault", "fpVariable", "fpFixed"};
constexpr std::array<const char *, 6> kGradientNames{"gsLeftToRight", "gsRightToLeft", "gsTopToBottom",
                                                     "gsBottomToTop", "gsCenterToLR", "gsCenterToTB"};
constexpr std::array<const char *, 4> kTextureNames{"tmTiled", "tmStretched", "tmCenter", "tmNormal"};

template <size_t N>
int exactIndex(const std::array<const char *, N> &names, std::string_view text, int fallback)
{
    for (size_t i = 0; i < N; ++i)
        if (text == names[i])
            return static_cast<int>(i);
    return fallback;
}

}  // namespace

std::string colorToString(TColor color)
{
    for (const auto &c : kNamedColors)
        if (c.value == color)
            return c.name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<unsigned>(color));
    return buffer;
}

std::optional<TColor> colorFromString(std::string_view text)
{
    std::string t = trimBlanks(text);
    for (const auto &c : kNamedColors)
        if (equalsIgnoreAsciiCase(t, c.name))
            return c.value;
    int value = 0;
    if (parseInteger(t, value))
        return value;
    return std::nullopt;
}

bool isSystemColor(TColor color)
{
    return (static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u;
}

std::uint32_t colorToRgb(TColor color)
{
    auto u = static_cast<std::uint32_t>(color);
    if (isSystemColor(color)) {
        unsigned index = u & 0xFF;
        return index < kSystemRgb.size() ? kSystemRgb[index] : 0x000000;
    }
    if (color == colors::clNone || color == colors::clDefault)
        return 0x000000;
    std::uint32_t r = u & 0xFF, g = (u >> 8) & 0xFF, b = (u >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

TColor colorFromRgb(int r, int g, int b)
{
    return static_cast<TColor>((b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF));
}

std::string fontStyleToString(unsigned styles)
{
    std::string out = "[";
    bool first = true;
    for (size_t i = 0; i < kStyleNames.size(); ++i) {
        if (!(styles & (1u << i)))
            continue;
        if (!first)
            out += ',';
        out += kStyleNames[i];
        first = false;
    }
    return out + "]";
}

unsigned fontStyleFromString(std::string_view text)
{
    std::string lower = asciiLower(text);
    unsigned styles = 0;
    for (size_t i = 0; i < kStyleNames.size(); ++i) {
        // "fsBold" must not be found inside another name; none of the four contains another.
        if (lower.find(asciiLower(kStyleNames[i])) != std::string::npos)
            styles |= 1u << i;
    }
    return styles;
}

std::string fontPitchToString(FontPitch pitch) { return kPitchNames[static_cast<size_t>(pitch)]; }
FontPitch fontPitchFromString(std::string_view text) { return static_cast<FontPitch>(exactIndex(kPitchNames, text, 0)); }

std::string gradientToString(GradientStyle style) { return kGradientNames[static_cast<size_t>(style)]; }
GradientStyle gradientFromString(std::string_view text)
{
    return static_cast<GradientStyle>(exactIndex(kGradientNames, text, 0));
}

std::string textureModeToString(TextureMode mode) { return kTextureNames[static_cast<size_t>(mode)]; }
TextureMode textureModeFromString(std::string_view text)
{
    return static_cast<TextureMode>(exactIndex(kTextureNames, text, 3));
}

std::string screenKey(int width, int height)
{
    return std::to_string(width) + "*" + std::to_string(height);
}

std::string protectText(std::string_view gbk) { return base64Encode(gbk); }
std::optional<std::string> unprotectText(std::string_view stored) { return base64Decode(stored); }

std::string quoteText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('\'');
    out.append(text);
    out.push_back('\'');
    return out;
}

std::string joinCompound(const std::vector<std::string> &fields)
{
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += '|';
        out += fields[i];
    }
    return out;
}

}  // namespace tessaly
