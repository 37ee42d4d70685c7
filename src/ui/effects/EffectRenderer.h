// Renders text with an effect record into an image: the glyphs filled with the
// font colour, a gradient or a texture, then outlined, sprayed, noised,
// blurred, rotated and mirrored, over an optional soft shadow.
#pragma once

#include "ui/effects/TAAFontEffect.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <string_view>

class QPainter;

namespace tessaly {

struct EffectTextStyle {
    QFont font;
    TColor color = colors::clBlack;
    TAAEffect effect;
    QImage texture;  // the loaded Texture.Picture; null draws without texture
    RenderQuality quality = RenderQuality::Normal;
    TextAlignment alignment = TextAlignment::Left;  // of each line within the text block
};

// The text block (lines split at "\n") with its effects on a transparent
// ARGB32 premultiplied image just large enough for the text, the shadow offset
// and every blur and spray margin. An empty text gives an image as tall as one
// line and one pixel wide.
QImage renderEffectText(const QString &text, const EffectTextStyle &style);

// Loads a texture picture from its stored path (relative paths from the program
// folder beside the executable); a null image when it cannot be read.
QImage loadTexturePicture(std::string_view storedPath);

// Fills `rect` with a background picture in the given mode.
void drawBackground(QPainter &painter, const QRect &rect, const QImage &picture, BackgroundMode mode);

}  // namespace tessaly
