// The label effect each effect label owns: how the label places and smooths its
// text, its background, and the effect record the text is rendered with.
#pragma once

#include "core/settings/EffectRecord.h"

#include <QImage>

namespace tessaly {

// Where the text sits vertically inside a label taller than it.
enum class TextLayout { Top, Center, Bottom };
// Where each line sits horizontally.
enum class TextAlignment { Left, Right, Center };
// How smooth the glyph edges are: High is supersampled, Normal antialiased,
// Low aliased and softened, None aliased.
enum class RenderQuality { High, Normal, Low, None };
// How a background picture fills the control.
enum class BackgroundMode { Tiled, Stretched, Center, Normal };

struct TAAFontEffect {
    bool Transparent = false;  // the background is not painted
    TextLayout Layout = TextLayout::Top;
    TextAlignment Alignment = TextAlignment::Left;
    RenderQuality Quality = RenderQuality::Normal;
    TAAEffect FontEffect;
    TColor BackColor = colors::clBtnFace;
    QImage BackGround;  // null for none
    BackgroundMode BackGroundMode = BackgroundMode::Center;
};

}  // namespace tessaly
