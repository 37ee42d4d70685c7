// How each kind of setting is written into set.dat and read back: colours, font
// style sets, pitches, gradient and texture names, screen sizes, protected text
// and compound values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// A colour as stored: 00BBGGRR, or a system colour (FF0000xx), clNone or clDefault.
using TColor = std::int32_t;

namespace colors {
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
                 clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr TColor systemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index)); }
constexpr TColor clBtnFace = systemColor(15), clWindow = systemColor(5), clWindowText = systemColor(8),
                 clBtnText = systemColor(18), clHighlight = systemColor(13);
}  // namespace colors

// "clYellow" for a named colour, otherwise "$" and eight hex digits.
std::string colorToString(TColor color);
// A colour name (any letter case), "$" hex or a decimal number; nothing otherwise.
std::optional<TColor> colorFromString(std::string_view text);
// Plain 0xRRGGBB for display; system colours map to sensible screen colours.
std::uint32_t colorToRgb(TColor color);
bool isSystemColor(TColor color);
TColor colorFromRgb(int r, int g, int b);

// Font style set, members in the order Bold, Italic, Underline, StrikeOut.
enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
std::string fontStyleToString(unsigned styles);
unsigned fontStyleFromString(std::string_view text);

enum class FontPitch { fpDefault, fpVariable, fpFixed };
std::string fontPitchToString(FontPitch pitch);
FontPitch fontPitchFromString(std::string_view text);

enum class GradientStyle { gsLeftToRight, gsRightToLeft, gsTopToBottom, gsBottomToTop, gsCenterToLR, gsCenterToTB };
std::string gradientToString(GradientStyle style);
GradientStyle gradientFromString(std::string_view text);

enum class TextureMode { tmTiled, tmStretched, tmCenter, tmNormal };
std::string textureModeToString(TextureMode mode);
TextureMode textureModeFromString(std::string_view text);

constexpr int kGb2312Charset = 134;

// "1024*768": the screen a layout was made for.
std::string screenKey(int width, int height);

// Protected text: Base64 of the GBK bytes. A value that is not Base64 decodes to nothing.
std::string protectText(std::string_view gbk);
std::optional<std::string> unprotectText(std::string_view stored);

// Text whose blanks must survive: written between single quotes (the reader drops them).
std::string quoteText(std::string_view text);

// Fields joined by "|" with no escaping.
std::string joinCompound(const std::vector<std::string> &fields);

}  // namespace tessaly
