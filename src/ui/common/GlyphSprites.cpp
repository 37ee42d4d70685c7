#include "ui/common/GlyphSprites.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tessaly {
namespace {

// Sprites kept per block: enough for every character of a large list at a few
// sub-pixel positions; past this the sprites are rendered again as they come.
constexpr qsizetype kMaxSpriteBytes = qsizetype(48) << 20;

// A position as Qt fixes it for drawing: in 64ths of a pixel, cut towards zero.
qint64 fixed64(qreal v)
{
    return static_cast<qint64>(v * 64.0);
}

QImage drawRun(QSize size, QRgb color, const QRawFont &font, const QList<quint32> &glyphs, const QList<QPointF> &at)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(0);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(at);
    QPainter p(&canvas);
    p.setPen(QColor::fromRgba(color));
    p.drawGlyphRun(QPointF(0, 0), run);
    return canvas;
}

// The smallest rectangle holding every inked pixel (empty when none is).
QRect inked(const QImage &image)
{
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// A sprite laid over the layer, premultiplied source-over as Qt blends: where two
// glyphs touch, their coverage adds up as when Qt draws one after the other.
quint32 over(quint32 dst, quint32 src)
{
    const quint32 inverse = 255 - (src >> 24);
    auto byteMul = [inverse](quint32 x) {  // x * inverse / 255 on two channels at once, as Qt rounds it
        x *= inverse;
        return ((x + ((x >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    };
    return src + (byteMul(dst & 0xff00ff) | (byteMul((dst >> 8) & 0xff00ff) << 8));
}

void layOver(quint32 *dst, const quint32 *src, int pixels)
{
    int i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi32(255), half = _mm_set1_epi16(0x80);
    for (; i + 4 <= pixels; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(s, zero)) == 0xffff)
            continue;  // nothing inked in these four pixels
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(d, zero)) == 0xffff) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), s);  // the usual case: no glyph there yet
            continue;
        }
        __m128i inverse = _mm_sub_epi32(full, _mm_srli_epi32(s, 24));
        inverse = _mm_or_si128(inverse, _mm_slli_epi32(inverse, 16));
        auto byteMul = [&](__m128i channels, __m128i by) {
            const __m128i x = _mm_mullo_epi16(channels, by);
            return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), half), 8);
        };
        const __m128i low = byteMul(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi32(inverse, inverse));
        const __m128i high = byteMul(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi32(inverse, inverse));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_adds_epu8(s, _mm_packus_epi16(low, high)));
    }
#endif
    for (; i < pixels; ++i)
        if (src[i] != 0)
            dst[i] = over(dst[i], src[i]);
}

}  // namespace

bool GlyphSprites::suits(QPainter &painter, QPointF origin)
{
    const QTransform t = painter.combinedTransform();
    const QPaintEngine *engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster && painter.device() &&
           painter.device()->devicePixelRatioF() == 1.0 && t.type() <= QTransform::TxTranslate &&
           t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy()) && origin.x() == std::floor(origin.x()) &&
           origin.y() == std::floor(origin.y()) && painter.pen().style() == Qt::SolidLine &&
           painter.pen().brush().style() == Qt::SolidPattern && painter.pen().color().alpha() == 255 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver && painter.opacity() == 1.0;
}

void GlyphSprites::clear()
{
    m_classes.clear();
    m_classesKnown.clear();
    m_index.clear();
    m_sprites.clear();
    m_spriteBytes = 0;
}

const GlyphSprites::Classes &GlyphSprites::classes(int slot, const QRawFont &font)
{
    const auto k = static_cast<size_t>(slot);
    if (k >= m_classes.size()) {
        m_classes.resize(k + 1);
        m_classesKnown.resize(k + 1, false);
    }
    Classes &c = m_classes[k];
    if (m_classesKnown[k])
        return c;
    m_classesKnown[k] = true;
    // Qt renders a glyph at a few sub-pixel positions only, which ones depends on the
    // font engine and its hinting: a few stems drawn at every 64th of a pixel tell
    // which positions draw alike. Without stems every position is a class of its own.
    QList<quint32> probe;
    for (quint32 g : font.glyphIndexesForString(QStringLiteral("l1|I\u4E2D")))
        if (g != 0)
            probe.append(g);
    const qreal em = std::max<qreal>(font.pixelSize(), 1);
    const QSize size(static_cast<int>(std::ceil(em * 2 * (probe.size() + 2))), static_cast<int>(std::ceil(em * 4)));
    auto along = [&](bool vertical, std::array<quint8, 64> &classOf, std::array<quint8, 64> &first) {
        QImage previous;
        int cls = 0;
        for (int f = 0; f < 64; ++f) {
            if (probe.isEmpty()) {
                classOf[static_cast<size_t>(f)] = first[static_cast<size_t>(f)] = static_cast<quint8>(f);
                continue;
            }
            QList<QPointF> at;
            for (int i = 0; i < probe.size(); ++i)
                at.append(QPointF(em * 2 * (i + 1) + (vertical ? 0 : f / 64.0), em * 2 + (vertical ? f / 64.0 : 0)));
            QImage image = drawRun(size, qRgb(0, 0, 0), font, probe, at);
            if (f > 0 && image != previous)
                first[static_cast<size_t>(++cls)] = static_cast<quint8>(f);
            classOf[static_cast<size_t>(f)] = static_cast<quint8>(cls);
            previous = std::move(image);
        }
    };
    along(false, c.x, c.firstX);
    along(true, c.y, c.firstY);
    return c;
}

const GlyphSprites::Sprite &GlyphSprites::sprite(int slot, const QRawFont &font, quint32 glyph, int fx, int fy)
{
    const Classes &c = classes(slot, font);
    const int cx = c.x[static_cast<size_t>(fx)], cy = c.y[static_cast<size_t>(fy)];
    const quint64 key = (quint64(slot) << 48) | (quint64(cx) << 40) | (quint64(cy) << 32) | glyph;
    if (auto found = m_index.constFind(key); found != m_index.constEnd())
        return m_sprites[static_cast<size_t>(*found)];
    if (m_spriteBytes > kMaxSpriteBytes) {
        m_index.clear();
        m_sprites.clear();
        m_spriteBytes = 0;
    }
    // Drawn at the class's first fraction, on a canvas with room around the glyph's
    // box (a synthetic bold grows past it); a glyph that reaches the edge is drawn again
    // with more room.
    const QRectF box = font.boundingRect(glyph);
    const QPointF fraction(c.firstX[static_cast<size_t>(cx)] / 64.0, c.firstY[static_cast<size_t>(cy)] / 64.0);
    Sprite s;
    for (int margin = 2 + static_cast<int>(std::ceil(font.pixelSize() / 8.0));; margin *= 2) {
        const QPoint origin(margin - static_cast<int>(std::floor(box.left())),
                            margin - static_cast<int>(std::floor(box.top())));
        const QSize size(static_cast<int>(std::ceil(box.width())) + 2 * margin + 2,
                         static_cast<int>(std::ceil(box.height())) + 2 * margin + 2);
        const QImage canvas = drawRun(size, m_color, font, {glyph}, {QPointF(origin) + fraction});
        const QRect ink = inked(canvas);
        const bool roomy = ink.isNull() || (ink.left() > 0 && ink.top() > 0 && ink.right() < size.width() - 1 &&
                                            ink.bottom() < size.height() - 1);
        if (roomy || margin > 4096) {
            // Whole groups of four pixels, so that laying a row over the layer needs no odd tail.
            if (!ink.isNull())
                s = Sprite{canvas.copy(ink.adjusted(0, 0, (4 - ink.width() % 4) % 4, 0)), ink.topLeft() - origin};
            break;
        }
    }
    m_spriteBytes += s.image.sizeInBytes();
    m_sprites.push_back(std::move(s));
    m_index.insert(key, static_cast<int>(m_sprites.size() - 1));
    return m_sprites.back();
}

void GlyphSprites::draw(QPainter &painter, QPointF origin, QSize area, const std::vector<QRawFont> &fonts,
                        const std::vector<PlacedGlyph> &glyphs)
{
    const QRgb color = painter.pen().color().rgba();
    if (color != m_color) {
        m_index.clear();
        m_sprites.clear();
        m_spriteBytes = 0;
        m_color = color;
    }
    if (area.isEmpty())
        return;
    // The glyphs are laid into a band a few lines high and the band is drawn as it
    // fills: a band stays in the processor's cache where a layer as large as a block
    // at 3840x2160 (16 MB) would be cleared, laid into and blended from memory.
    // Bands that overlap blend one over the other, as glyphs drawn one by one do.
    const QRect bounds(QPoint(0, 0), area);
    QRect inked;  // what the band holds, in the block's coordinates
    int top = 0;  // the block's row at the band's first row
    auto flush = [&] {
        if (inked.isEmpty())
            return;
        const QRect source = inked.translated(0, -top);
        painter.drawImage(origin.toPoint() + inked.topLeft(), m_layer, source);
        for (int row = source.top(); row <= source.bottom(); ++row)
            std::memset(m_layer.scanLine(row) + source.left() * 4, 0, static_cast<size_t>(source.width()) * 4);
        inked = QRect();
    };
    for (const PlacedGlyph &g : glyphs) {
        const qint64 x = fixed64(g.position.x()), y = fixed64(g.position.y());
        const int fx = static_cast<int>(x & 63), fy = static_cast<int>(y & 63);
        const Sprite &s = sprite(g.font, fonts[static_cast<size_t>(g.font)], g.index, fx, fy);
        if (s.image.isNull())
            continue;
        const QRect placed(QPoint(static_cast<int>(x >> 6), static_cast<int>(y >> 6)) + s.offset, s.image.size());
        const QRect r = placed & bounds;
        if (r.isEmpty())
            continue;
        if (!inked.isEmpty() && (r.top() < top || r.bottom() >= top + m_layer.height()))
            flush();
        if (inked.isEmpty()) {
            // Room above for a taller glyph of the same line and below for the next lines.
            top = r.top() - r.height() / 2;
            const QSize band(area.width(), std::max(4 * r.height(), 64));
            if (m_layer.width() != band.width() || m_layer.height() < r.bottom() - top + 1) {
                m_layer = QImage(band, QImage::Format_ARGB32_Premultiplied);
                m_layer.fill(0);
            }
        }
        inked |= r;
        const qsizetype srcStride = s.image.bytesPerLine(), stride = m_layer.bytesPerLine();
        const uchar *src = s.image.constBits() + (r.top() - placed.top()) * srcStride + (r.left() - placed.left()) * 4;
        uchar *dst = m_layer.bits() + (r.top() - top) * stride + r.left() * 4;
        for (int row = 0; row < r.height(); ++row, src += srcStride, dst += stride)
            layOver(reinterpret_cast<quint32 *>(dst), reinterpret_cast<const quint32 *>(src), r.width());
    }
    flush();
}

}  // namespace tessaly
