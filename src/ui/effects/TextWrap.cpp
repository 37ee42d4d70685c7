#include "ui/effects/TextWrap.h"

#include <QTextLayout>

namespace tessaly {

QStringList wrapLines(const QStringList &lines, const QFont &font, int width)
{
    if (width <= 0)
        return lines;
    QStringList out;
    for (const QString &line : lines) {
        if (line.isEmpty()) {
            out << line;
            continue;
        }
        QTextLayout layout(line, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
            piece.setLineWidth(width);
            out << line.mid(piece.textStart(), piece.textLength());
        }
        layout.endLayout();
    }
    return out;
}

}  // namespace tessaly
