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
    // covers what is drawn, not only the cells.
    const QFontMetricsF m(font);
    const qreal cell = cellWidth(font);
    qreal widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, cellCount(line) * cell);
        forEachRun(line, [&](int start, int length, int column) {
            widest = std::max(widest, column * cell + m.horizontalAdvance(line.mid(start, length)));
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
    m_batches.clear();
    m_direct.clear();
    m_runs.clear();
    m_fonts.clear();
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
    if (auto found = m_runs.find(view); found != m_runs.end())
        return found->second;
    const QString run = view.toString();
    Shaped s;
    QTextLayout layout(run, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e5);
    layout.endLayout();
    const qreal ascent = line.ascent();
    for (const QGlyphRun &glyphs : layout.glyphRuns()) {
        Part part{fontSlot(glyphs.rawFont()), glyphs.glyphIndexes(), glyphs.positions()};
        for (QPointF &p : part.positions)
            p.ry() -= ascent;
        s.parts.push_back(std::move(part));
    }
    // Measured as cellTextSize measures, so the block keeps the same size.
    s.width = QFontMetricsF(m_font).horizontalAdvance(run);
    return m_runs.emplace(run, std::move(s)).first->second;
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
    m_batches.clear();
    m_direct.clear();
    // Glyph runs draw underlines and strike-outs their own way: such a font is drawn run by run.
    if (font.underline() || font.overline() || font.strikeOut()) {
        m_direct = lines;
        return cellTextSize(font, lines);
    }
    struct Batch {
        int font;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    std::vector<Batch> batches;
    auto batchFor = [&](const Part &part) -> Batch & {
        for (Batch &b : batches)
            if (b.font == part.font)
                return b;
        return batches.emplace_back(Batch{part.font, {}, {}});
    };
    qreal widest = 0;
    qreal y = m_ascent;
    for (const QString &line : lines) {
        widest = std::max(widest, cellCount(line) * m_cell);
        forEachRun(line, [&](int start, int length, int column) {
            const Shaped &run = shaped(QStringView(line).mid(start, length));
            const QPointF at(column * m_cell, y);
            widest = std::max(widest, at.x() + run.width);
            for (const Part &part : run.parts) {
                Batch &batch = batchFor(part);
                batch.indexes.append(part.indexes);
                for (const QPointF &p : part.positions)
                    batch.positions.append(p + at);
            }
        });
        y += m_lineHeight;
    }
    for (Batch &b : batches) {
        QGlyphRun glyphs;
        glyphs.setRawFont(m_fonts[static_cast<size_t>(b.font)]);
        glyphs.setGlyphIndexes(std::move(b.indexes));
        glyphs.setPositions(std::move(b.positions));
        m_batches.push_back(std::move(glyphs));
    }
    return blockSize(widest, m_lineHeight, lines.size());
}

void CellTextCache::draw(QPainter &painter, QPointF origin) const
{
    if (!m_direct.isEmpty())
        drawCellText(painter, m_font, m_direct, origin);
    for (const QGlyphRun &glyphs : m_batches)
        painter.drawGlyphRun(origin, glyphs);
}

}  // namespace tessaly
