#include "ui/common/Fonts.h"

#include "ui/common/GbkText.h"

#include <QFontMetrics>
#include <QStringList>

namespace tessaly {

QFont toQFont(const FontSpec &spec)
{
    QFont f(toQt(spec.name));
    if (spec.size > 0)
        f.setPointSize(spec.size);
    else if (spec.height != 0)
        f.setPixelSize(std::abs(spec.height));
    f.setBold(spec.style & fsBold);
    f.setItalic(spec.style & fsItalic);
    f.setUnderline(spec.style & fsUnderline);
    f.setStrikeOut(spec.style & fsStrikeOut);
    if (spec.pitch == FontPitch::fpFixed)
        f.setFixedPitch(true);
    return f;
}

FontSpec fromQFont(const QFont &font, const FontSpec &base)
{
    FontSpec s = base;
    s.name = fromQt(font.family());
    if (font.pointSize() > 0) {
        s.size = font.pointSize();
        s.height = fontHeightForSize(s.size);
    }
    s.style = (font.bold() ? fsBold : 0u) | (font.italic() ? fsItalic : 0u) | (font.underline() ? fsUnderline : 0u) |
              (font.strikeOut() ? fsStrikeOut : 0u);
    return s;
}

QColor toQColor(TColor color)
{
    return QColor::fromRgb(colorToRgb(color));
}

TColor fromQColor(const QColor &color)
{
    return colorFromRgb(color.red(), color.green(), color.blue());
}

TextSize QtTextMeasurer::measure(const FontSpec &font, std::string_view gbkText) const
{
    const QFontMetrics metrics(toQFont(font));
    const QStringList lines = toQt(gbkText).split(QLatin1Char('\r'));
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width, metrics.height() * static_cast<int>(lines.size())};
}

}  // namespace tessaly
