// The effect record of the effect labels and the effect scroller (smoothing,
// shadow, gradient, texture, blur, noise, spray, outline, rotation, mirroring)
// and how it is stored in set.dat under a key prefix.
#pragma once

#include "settings/Encodings.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class IniStore;

// Field names are the stored key names; ranges are kept by loadEffect and by
// clampEffect, and the effect dialog offers nothing outside them.
struct TAAEffect {
    struct TGradual {
        bool Enabled = false;
        TColor StartColor = colors::clWhite;
        TColor EndColor = colors::clBlack;
        GradientStyle Style = GradientStyle::gsLeftToRight;
        bool operator==(const TGradual &) const = default;
    };
    struct TShadow {
        bool Enabled = false;
        int Alpha = 70;  // 0..100, percent
        int Blur = 80;   // 0..100
        TColor Color = colors::clBlack;
        int OffsetX = 2;  // -20..20 pixels
        int OffsetY = 2;  // -20..20 pixels
        bool operator==(const TShadow &) const = default;
    };
    struct TTexture {
        bool Enabled = false;
        TextureMode Mode = TextureMode::tmTiled;
        std::string Picture;  // stored path (GBK, absolute or relative to the program folder), empty for none
        bool operator==(const TTexture &) const = default;
    };

    int Alpha = 100;  // 0..100, opacity of the text in percent
    int Angle = 0;    // -360..360 degrees, counter-clockwise
    int Blur = 0;     // 0..100
    TGradual Gradual;
    bool HorzMirror = false;
    bool VertMirror = false;
    int Noise = 0;  // 0..255
    bool Outline = false;
    TShadow Shadow;
    int Spray = 0;  // 0..100
    TTexture Texture;

    bool operator==(const TAAEffect &) const = default;
};

namespace effect_ranges {
inline constexpr int kAlphaMax = 100, kBlurMax = 100, kSprayMax = 100, kNoiseMax = 255;
inline constexpr int kAngleMin = -360, kAngleMax = 360;
inline constexpr int kOffsetMin = -20, kOffsetMax = 20;
}  // namespace effect_ranges

// Key prefixes: effect labels, and the effect scroller of the results window.
inline constexpr std::string_view kLabelEffectPrefix = "Effect.FontEffect.";
inline constexpr std::string_view kScrollerEffectPrefix = "Text.FontEffect.";

// Brings every numeric field into its range.
TAAEffect clampEffect(TAAEffect effect);

// The texture picture path is never kept: the popup menus leave the key alone,
// the save-all routines write it empty.
enum class TexturePictureKey { Omit, WriteEmpty };

// Writes every key of the record in the stored order (Alpha ... Texture.Picture).
void saveEffect(IniStore &store, std::string_view section, std::string_view prefix, const TAAEffect &effect,
                TexturePictureKey picture);

struct EffectLoadReport {
    // False when the section holds none of the record's keys; the record is then left as it was.
    bool found = false;
    // Keys whose colour value could not be read; those fields keep their previous value.
    std::vector<std::string> malformedKeys;
};

// Reads the record stored under the prefix. Once any key of the record is
// present, a missing key reads as 0, false or the empty text (a missing colour
// keeps its previous value); numbers are brought into their ranges; a gradient
// or texture name that matches none reads as gsLeftToRight or tmNormal.
EffectLoadReport loadEffect(const IniStore &store, std::string_view section, std::string_view prefix,
                            TAAEffect &effect);

// The stored key names without prefix, in the order they are written.
const std::vector<std::string_view> &effectKeyNames();

}  // namespace tessaly
