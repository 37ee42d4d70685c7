#include "ui/common/Fonts.h"

#include "ui/common/GbkText.h"
#include "ui/common/QtValues.h"

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
    applyFontStyles(f, spec.style);
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
    s.style = fontStylesOf(font);
    return s;
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
