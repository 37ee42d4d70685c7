#include "ui/common/Fonts.h"

#include "ui/common/CellText.h"
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
    const QSize size = cellTextSize(toQFont(font), toQt(gbkText).split(QLatin1Char('\r')));
    return {size.width(), size.height()};
}

}  // namespace tessaly
