// Text laid out in character cells, as the GBK byte counts see it: a wide
// (Chinese) character takes two cells, any other one. Padding with blanks then
// lines entries up in columns whatever the font's proportions.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <unordered_map>
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
// tick only places and blits glyphs the block has shown before. Shaping every
// run anew, to measure and again to draw, cost more than the drawing itself.
class CellTextCache {
public:
    // Lays the lines out in the font (shaping only runs not seen before) and
    // returns the size cellTextSize gives.
    QSize layout(const QFont &font, const QStringList &lines);
    // Draws what the last layout placed.
    void draw(QPainter &painter, QPointF origin) const;
    void clear();

private:
    // A run's glyphs in each font it uses, baseline at y = 0.
    struct Part {
        int font = 0;  // in m_fonts
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    struct Shaped {
        std::vector<Part> parts;
        qreal width = 0;
    };
    // Looked up by a view into the line: no string is made for a run seen before.
    struct Hash {
        using is_transparent = void;
        size_t operator()(QStringView s) const { return qHash(s); }
    };
    const Shaped &shaped(QStringView run);
    int fontSlot(const QRawFont &font);

    QFont m_font;
    bool m_fontSet = false;
    qreal m_cell = 0, m_ascent = 0, m_lineHeight = 0;
    std::unordered_map<QString, Shaped, Hash, std::equal_to<>> m_runs;
    std::vector<QRawFont> m_fonts;  // the fonts the shaped runs use (the block's and its fall-backs)
    // What the last layout placed: the glyphs of the whole block gathered into
    // one run per font, so a paint is a few calls rather than one per entry.
    std::vector<QGlyphRun> m_batches;
    QStringList m_direct;  // the lines, when the font is drawn run by run
};

}  // namespace tessaly
