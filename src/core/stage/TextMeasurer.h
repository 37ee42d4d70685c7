// The one thing the core needs from the screen: how large a text is in a font.
// The window passes a font-metrics implementation, tests a fixed one.
#pragma once

#include "settings/FontKeys.h"

#include <string_view>

namespace tessaly {

struct TextSize {
    int width = 0;
    int height = 0;
    bool operator==(const TextSize &) const = default;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // Size of a label sized to the GBK text; a CR starts a new line.
    virtual TextSize measure(const FontSpec &font, std::string_view gbkText) const = 0;
};

// Rounding as the layouts need it: to the nearest integer, halves to the even
// neighbour; Trunc drops the fraction.
int roundHalfEven(double value);
inline int truncToInt(double value) { return static_cast<int>(value); }

}  // namespace tessaly
