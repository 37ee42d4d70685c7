#include "ui/common/Fonts.h"

#include "ui/common/CellText.h"
#include "ui/common/GbkText.h"
#include "ui/common/QtValues.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

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
    const QSize size = cellTextSize(toQFont(font), toQt(gbkText).split(QLatin1Char('\r')));
    return {size.width(), size.height()};
}

QFont fontFittingWidth(QFont font, const QString &text, int width)
{
    width = std::max(width, 1);
    // Text widths do not scale exactly with the size: shrink in proportion, then step down until it fits.
    for (int tries = 0; tries < 64; ++tries) {
        const int wide = QFontMetrics(font).horizontalAdvance(text);
        const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
        if (wide <= width || size <= 1)
            break;
        const qreal smaller = std::max<qreal>(1, std::min(size - 0.5, size * width / wide));
        if (font.pointSizeF() > 0)
            font.setPointSizeF(smaller);
        else
            font.setPixelSize(std::max(1, static_cast<int>(smaller)));
    }
    return font;
}

}  // namespace tessaly
