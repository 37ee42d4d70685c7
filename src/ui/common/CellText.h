// Text laid out in character cells, as the GBK byte counts see it: a wide
// (Chinese) character takes two cells, any other one. Padding with blanks then
// lines entries up in columns whatever the font's proportions.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

class QPainter;

namespace tessaly {

int cellCount(const QString &line);
// Width of one cell in the font: half a wide character.
qreal cellWidth(const QFont &font);
// Size of the lines laid out in cells.
QSize cellTextSize(const QFont &font, const QStringList &lines);
// Draws each run of non-blank characters at the column it starts in.
void drawCellText(QPainter &painter, const QFont &font, const QStringList &lines, QPointF origin);

}  // namespace tessaly
