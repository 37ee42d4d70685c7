#include "ui/common/CellText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tessaly {
namespace {

int cellsOf(QChar c)
{
    const ushort u = c.unicode();
    // CJK symbols, ideographs, Hangul, compatibility forms and full-width forms.
    return (u >= 0x1100 && (u <= 0x115F || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) ||
                            (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) ||
                            (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6)))
               ? 2
               : 1;
}

}  // namespace

int cellCount(const QString &line)
{
    int cells = 0;
    for (QChar c : line)
        cells += cellsOf(c);
    return cells;
}

qreal cellWidth(const QFont &font)
{
    return QFontMetricsF(font).horizontalAdvance(QChar(0x4E2D)) / 2.0;  // half of 中
}

QSize cellTextSize(const QFont &font, const QStringList &lines)
{
    // A run of characters between blanks is drawn at its own width from its first
    // cell, so a run of digits or Latin letters may reach past its cells: the size
    // covers what is drawn, not only the cells.
    const QFontMetricsF m(font);
    const qreal cell = cellWidth(font);
    qreal widest = 0;
    for (const QString &line : lines) {
        int column = 0, runStart = -1, runColumn = 0;
        widest = std::max(widest, cellCount(line) * cell);
        for (int i = 0; i <= line.size(); ++i) {
            const bool blank = i == line.size() || line[i] == QLatin1Char(' ');
            if (!blank && runStart < 0) {
                runStart = i;
                runColumn = column;
            }
            if (blank && runStart >= 0) {
                widest = std::max(widest, runColumn * cell + m.horizontalAdvance(line.mid(runStart, i - runStart)));
                runStart = -1;
            }
            if (i < line.size())
                column += cellsOf(line[i]);
        }
    }
    return {static_cast<int>(std::ceil(widest)),
            static_cast<int>(std::ceil(m.height() * std::max<qsizetype>(lines.size(), 1)))};
}

void drawCellText(QPainter &painter, const QFont &font, const QStringList &lines, QPointF origin)
{
    const QFontMetricsF m(font);
    const qreal cell = cellWidth(font);
    painter.setFont(font);
    qreal y = origin.y() + m.ascent();
    for (const QString &line : lines) {
        int column = 0;
        int runStart = -1, runColumn = 0;
        for (int i = 0; i <= line.size(); ++i) {
            const bool blank = i == line.size() || line[i] == QLatin1Char(' ');
            if (!blank && runStart < 0) {
                runStart = i;
                runColumn = column;
            }
            if (blank && runStart >= 0) {
                painter.drawText(QPointF(origin.x() + runColumn * cell, y), line.mid(runStart, i - runStart));
                runStart = -1;
            }
            if (i < line.size())
                column += cellsOf(line[i]);
        }
        y += m.height();
    }
}

}  // namespace tessaly
