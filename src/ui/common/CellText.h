// Text laid out in character cells, as the GBK byte counts see it: a wide
// (Chinese) character takes two cells, any other one. Padding with blanks then
// lines entries up in columns whatever the font's proportions.
#pragma once

#include "ui/common/GlyphSprites.h"

#include <QFont>
#include <QHash>
#include <QGlyphRun>
#include <QRawFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;

namespace tessaly {

int cellCount(const QString &line);
// Width of one cell in the font: half a wide character.
qreal cellWidth(const QFont &font);
// Size of the lines laid out in cells.
QSize cellTextSize(const QFont &font, const QStringList &lines);
// Draws each run of non-blank characters at the column it starts in.
void drawCellText(QPainter &painter, const QFont &font, const QStringList &lines, QPointF origin);

// The same layout for a text that changes many times a second (the rolling
// text block): each run of characters is shaped once per font and kept, so a
// tick only places glyphs the block has shown before, and paints them through
// sprites where the painter allows. Shaping every run anew, to measure and again
// to draw, cost more than the drawing itself.
class CellTextCache {
public:
    // Lays the lines out in the font (shaping only runs not seen before) and
    // returns the size cellTextSize gives.
    QSize layout(const QFont &font, const QStringList &lines);
    // Draws what the last layout placed, within the size it gave.
    void draw(QPainter &painter, QPointF origin);
    void clear();

private:
    // A run's glyphs (baseline at y = 0) are a range of m_glyphs: a tick copies
    // them from one place instead of following a chain of small lists.
    struct Shaped {
        qsizetype first = 0, count = 0;
        qreal width = 0;
    };
    const Shaped &shaped(QStringView run);
    int fontSlot(const QRawFont &font);

    QFont m_font;
    bool m_fontSet = false;
    qreal m_cell = 0, m_ascent = 0, m_lineHeight = 0;
    QHash<QString, qsizetype> m_index;  // run -> m_runs
    std::vector<Shaped> m_runs;
    std::vector<PlacedGlyph> m_glyphs;
    std::vector<QRawFont> m_fonts;  // the fonts the shaped runs use (the block's and its fall-backs)
    // What the last layout placed: every glyph of the block, drawn through the
    // sprites or, where they do not suit the painter, as one glyph run per font.
    std::vector<PlacedGlyph> m_placed;
    QSize m_size;
    QStringList m_direct;  // the lines, when the font is drawn run by run
    GlyphSprites m_sprites;
};

}  // namespace tessaly
