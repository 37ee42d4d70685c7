#include "ui/common/CellText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
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

// Calls run(start, length, column) for each run of non-blank characters of the
// line, with the cell column it starts in.
template <typename Run>
void forEachRun(const QString &line, Run &&run)
{
    int column = 0, runStart = -1, runColumn = 0;
    for (int i = 0; i <= line.size(); ++i) {
        const bool blank = i == line.size() || line[i] == QLatin1Char(' ');
        if (!blank && runStart < 0) {
            runStart = i;
            runColumn = column;
        }
        if (blank && runStart >= 0) {
            run(runStart, i - runStart, runColumn);
            runStart = -1;
        }
        if (i < line.size())
            column += cellsOf(line[i]);
    }
}

QSize blockSize(qreal widest, qreal lineHeight, qsizetype lines)
{
    return {static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(lineHeight * std::max<qsizetype>(lines, 1)))};
}

// Shaped runs kept per block: a list of 10,000 entries is shaped once in a
// few rolls; past this many the cache starts again rather than grow.
constexpr size_t kMaxCachedRuns = 30000;

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
    // covers what is drawn, not only the cells. A block repeats its runs (a fit
    // measures the longest entry hundreds of times over at each size it tries):
    // each distinct run is shaped once.
    const QFontMetricsF m(font);
    const qreal cell = cellWidth(font);
    QHash<QString, qreal> widths;  // keys borrow the lines' characters
    qreal widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, cellCount(line) * cell);
        forEachRun(line, [&](int start, int length, int column) {
            const QString run = QString::fromRawData(line.constData() + start, length);
            auto width = widths.constFind(run);
            if (width == widths.constEnd())
                width = widths.insert(run, m.horizontalAdvance(run));
            widest = std::max(widest, column * cell + *width);
        });
    }
    return blockSize(widest, m.height(), lines.size());
}

void drawCellText(QPainter &painter, const QFont &font, const QStringList &lines, QPointF origin)
{
    const QFontMetricsF m(font);
    const qreal cell = cellWidth(font);
    painter.setFont(font);
    qreal y = origin.y() + m.ascent();
    for (const QString &line : lines) {
        forEachRun(line, [&](int start, int length, int column) {
            painter.drawText(QPointF(origin.x() + column * cell, y), line.mid(start, length));
        });
        y += m.height();
    }
}

void CellTextCache::clear()
{
    m_placed.clear();
    m_direct.clear();
    m_index.clear();
    m_runs.clear();
    m_glyphs.clear();
    m_fonts.clear();
    m_sprites.clear();
    m_fontSet = false;
}

int CellTextCache::fontSlot(const QRawFont &font)
{
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i] == font)
            return static_cast<int>(i);
    m_fonts.push_back(font);
    return static_cast<int>(m_fonts.size() - 1);
}

const CellTextCache::Shaped &CellTextCache::shaped(QStringView view)
{
    // The key only borrows the line's characters for the look-up: no string is made for a run seen before.
    const QString borrowed = QString::fromRawData(view.data(), view.size());
    if (auto found = m_index.constFind(borrowed); found != m_index.constEnd())
        return m_runs[static_cast<size_t>(*found)];
    const QString run = view.toString();
    QTextLayout layout(run, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e5);
    layout.endLayout();
    const qreal ascent = line.ascent();
    Shaped s;
    s.first = static_cast<qsizetype>(m_glyphs.size());
    for (const QGlyphRun &glyphs : layout.glyphRuns()) {
        const int font = fontSlot(glyphs.rawFont());
        const QList<quint32> indexes = glyphs.glyphIndexes();
        const QList<QPointF> positions = glyphs.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i)
            m_glyphs.push_back(PlacedGlyph{font, indexes[i], positions[i] - QPointF(0, ascent)});
    }
    s.count = static_cast<qsizetype>(m_glyphs.size()) - s.first;
    // Measured as cellTextSize measures, so the block keeps the same size.
    s.width = QFontMetricsF(m_font).horizontalAdvance(run);
    m_index.insert(run, static_cast<qsizetype>(m_runs.size()));
    m_runs.push_back(s);
    return m_runs.back();
}

QSize CellTextCache::layout(const QFont &font, const QStringList &lines)
{
    if (!m_fontSet || font != m_font || m_runs.size() > kMaxCachedRuns) {
        clear();
        m_font = font;
        m_fontSet = true;
        const QFontMetricsF m(m_font);
        m_cell = cellWidth(m_font);
        m_ascent = m.ascent();
        m_lineHeight = m.height();
    }
    m_placed.clear();
    m_direct.clear();
    // Glyph runs draw underlines and strike-outs their own way: such a font is drawn run by run.
    if (font.underline() || font.overline() || font.strikeOut()) {
        m_direct = lines;
        return m_size = cellTextSize(font, lines);
    }
    qreal widest = 0;
    qreal y = m_ascent;
    for (const QString &line : lines) {
        widest = std::max(widest, cellCount(line) * m_cell);
        forEachRun(line, [&](int start, int length, int column) {
            const Shaped &run = shaped(QStringView(line).mid(start, length));
            const QPointF at(column * m_cell, y);
            widest = std::max(widest, at.x() + run.width);
            for (qsizetype i = run.first; i < run.first + run.count; ++i) {
                const PlacedGlyph &g = m_glyphs[static_cast<size_t>(i)];
                m_placed.push_back(PlacedGlyph{g.font, g.index, g.position + at});
            }
        });
        y += m_lineHeight;
    }
    return m_size = blockSize(widest, m_lineHeight, lines.size());
}

void CellTextCache::draw(QPainter &painter, QPointF origin)
{
    if (!m_direct.isEmpty()) {
        drawCellText(painter, m_font, m_direct, origin);
        return;
    }
    if (GlyphSprites::suits(painter, origin)) {
        m_sprites.draw(painter, origin, m_size, m_fonts, m_placed);
        return;
    }
    // The glyphs of the whole block gathered into one run per font: a few calls rather than one per entry.
    std::vector<QList<quint32>> indexes(m_fonts.size());
    std::vector<QList<QPointF>> positions(m_fonts.size());
    for (const PlacedGlyph &g : m_placed) {
        indexes[static_cast<size_t>(g.font)].append(g.index);
        positions[static_cast<size_t>(g.font)].append(g.position);
    }
    for (size_t f = 0; f < m_fonts.size(); ++f) {
        QGlyphRun glyphs;
        glyphs.setRawFont(m_fonts[f]);
        glyphs.setGlyphIndexes(std::move(indexes[f]));
        glyphs.setPositions(std::move(positions[f]));
        painter.drawGlyphRun(origin, glyphs);
    }
}

}  // namespace tessaly
