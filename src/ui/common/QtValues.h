// Stored values against Qt's types: colours (TColor, 00BBGGRR or a system
// colour) and font style sets (fsBold, fsItalic, fsUnderline, fsStrikeOut).
#pragma once

#include "core/settings/Encodings.h"

#include <QColor>
#include <QFont>

namespace tessaly {

inline QColor toQColor(TColor color)
{
    return QColor::fromRgb(static_cast<QRgb>(colorToRgb(color)));
}

inline TColor toTColor(const QColor &color)
{
    return colorFromRgb(color.red(), color.green(), color.blue());
}

inline unsigned fontStylesOf(const QFont &font)
{
    return (font.bold() ? fsBold : 0u) | (font.italic() ? fsItalic : 0u) | (font.underline() ? fsUnderline : 0u) |
           (font.strikeOut() ? fsStrikeOut : 0u);
}

inline void applyFontStyles(QFont &font, unsigned styles)
{
    font.setBold(styles & fsBold);
    font.setItalic(styles & fsItalic);
    font.setUnderline(styles & fsUnderline);
    font.setStrikeOut(styles & fsStrikeOut);
}

}  // namespace tessaly
