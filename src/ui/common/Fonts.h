// Stored fonts on screen: FontSpec to QFont and back, and text measurement
// with the screen's font metrics for the core's layouts.
#pragma once

#include "core/settings/FontKeys.h"
#include "core/stage/TextMeasurer.h"

#include <QFont>

namespace tessaly {

QFont toQFont(const FontSpec &spec);
// Keeps the stored charset, pitch and height form of `base`.
FontSpec fromQFont(const QFont &font, const FontSpec &base);

// `font`, made smaller (never larger) until one line of `text` is at most
// `width` pixels wide.
QFont fontFittingWidth(QFont font, const QString &text, int width);

// Measures a label sized to its text: a CR starts a new line, and characters
// take cells as the slots draw them (a Chinese character two, others one).
class QtTextMeasurer : public TextMeasurer {
public:
    TextSize measure(const FontSpec &font, std::string_view gbkText) const override;
};

}  // namespace tessaly
