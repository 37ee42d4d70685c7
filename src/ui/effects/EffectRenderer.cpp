#include "ui/effects/EffectRenderer.h"

#include "core/files/Paths.h"
#include "ui/common/QtValues.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tessaly {
namespace {

// Spray and noise come from a fixed sequence, so the same caption always
// renders the same pixels and a cached label never flickers when re-rendered.
class Scatter {
public:
    explicit Scatter(std::uint32_t seed) : m_state(seed) {}
    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    // Uniform in [-range, range].
    int around(int range) { return static_cast<int>(next() % static_cast<std::uint32_t>(2 * range + 1)) - range; }

private:
    std::uint32_t m_state;
};

// A strength of 0..100 as a distance in pixels: the effects look the same at
// every font size, and 100 spreads a glyph by about a sixth of its height.
int strengthToPixels(int strength, double fontPixels)
{
    if (strength <= 0)
        return 0;
    return std::max(1, static_cast<int>(std::lround(strength * fontPixels / 600.0)));
}

// Three box passes of radius k approximate a Gaussian and reach 3k pixels.
int blurReach(int radius)
{
    return 3 * radius;
}

// One box pass over `channels` interleaved 8-bit channels; pixels outside count as 0.
void boxPass(std::uint8_t *bits, int width, int height, qsizetype stride, int channels, int radius)
{
    const int window = 2 * radius + 1;
    const std::uint32_t scale = (1u << 16) / static_cast<std::uint32_t>(window);
    std::vector<std::uint32_t> sums(static_cast<size_t>(std::max(width, height)) * channels);
    std::vector<std::uint8_t> line(static_cast<size_t>(width) * channels);

    // Horizontal: a running sum along each row.
    for (int y = 0; y < height; ++y) {
        std::uint8_t *row = bits + y * stride;
        std::copy(row, row + static_cast<size_t>(width) * channels, line.begin());
        for (int c = 0; c < channels; ++c) {
            std::uint32_t sum = 0;
            for (int x = 0; x < std::min(radius, width); ++x)
                sum += line[static_cast<size_t>(x) * channels + c];
            for (int x = 0; x < width; ++x) {
                const int in = x + radius, out = x - radius - 1;
                if (in < width)
                    sum += line[static_cast<size_t>(in) * channels + c];
                if (out >= 0)
                    sum -= line[static_cast<size_t>(out) * channels + c];
                row[static_cast<size_t>(x) * channels + c] = static_cast<std::uint8_t>((sum * scale) >> 16);
            }
        }
    }
    // Vertical: running sums per column, walking the rows in memory order.
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    std::fill(sums.begin(), sums.end(), 0u);
    std::vector<std::uint8_t> source(rowBytes * height);
    for (int y = 0; y < height; ++y)
        std::copy(bits + y * stride, bits + y * stride + rowBytes, source.begin() + static_cast<qsizetype>(rowBytes) * y);
    for (int y = 0; y < std::min(radius, height); ++y)
        for (size_t i = 0; i < rowBytes; ++i)
            sums[i] += source[rowBytes * y + i];
    for (int y = 0; y < height; ++y) {
        const int in = y + radius, out = y - radius - 1;
        if (in < height)
            for (size_t i = 0; i < rowBytes; ++i)
                sums[i] += source[rowBytes * in + i];
        if (out >= 0)
            for (size_t i = 0; i < rowBytes; ++i)
                sums[i] -= source[rowBytes * out + i];
        std::uint8_t *row = bits + y * stride;
        for (size_t i = 0; i < rowBytes; ++i)
            row[i] = static_cast<std::uint8_t>((sums[i] * scale) >> 16);
    }
}

void blur(std::uint8_t *bits, int width, int height, qsizetype stride, int channels, int radius)
{
    if (radius <= 0 || width <= 0 || height <= 0)
        return;
    for (int pass = 0; pass < 3; ++pass)
        boxPass(bits, width, height, stride, channels, radius);
}

void blurImage(QImage &image, int radius)
{
    blur(image.bits(), image.width(), image.height(), image.bytesPerLine(), 4, radius);
}

// Each pixel takes the colour of a random neighbour within `radius`: the
// glyphs look sprayed on.
void spray(QImage &image, int radius, Scatter &scatter)
{
    const QImage source = image.copy();
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int sx = x + scatter.around(radius), sy = y + scatter.around(radius);
            out[x] = (sx >= 0 && sy >= 0 && sx < w && sy < h)
                         ? reinterpret_cast<const QRgb *>(source.constScanLine(sy))[sx]
                         : 0u;
        }
    }
}

// Brightens or darkens each covered pixel by up to `amount`, so the glyphs look grainy.
void noise(QImage &image, int amount, Scatter &scatter)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *px = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(px[x]);
            if (a == 0)
                continue;
            const int d = scatter.around(amount) * a / 255;
            auto shift = [&](int c) { return std::clamp(c + d, 0, a); };
            px[x] = qRgba(shift(qRed(px[x])), shift(qGreen(px[x])), shift(qBlue(px[x])), a);
        }
    }
}

QLinearGradient gradientFor(const TAAEffect::TGradual &g, const QRectF &box)
{
    const QColor start = toQColor(g.StartColor), end = toQColor(g.EndColor);
    QLinearGradient gradient;
    auto run = [&](QPointF from, QPointF to) {
        gradient.setStart(from);
        gradient.setFinalStop(to);
    };
    switch (g.Style) {
    case GradientStyle::gsLeftToRight:
    case GradientStyle::gsCenterToLR:
        run(box.topLeft(), box.topRight());
        break;
    case GradientStyle::gsRightToLeft:
        run(box.topRight(), box.topLeft());
        break;
    case GradientStyle::gsTopToBottom:
    case GradientStyle::gsCenterToTB:
        run(box.topLeft(), box.bottomLeft());
        break;
    case GradientStyle::gsBottomToTop:
        run(box.bottomLeft(), box.topLeft());
        break;
    }
    if (g.Style == GradientStyle::gsCenterToLR || g.Style == GradientStyle::gsCenterToTB) {
        // The start colour sits in the middle and runs out to both edges.
        gradient.setColorAt(0.0, end);
        gradient.setColorAt(0.5, start);
        gradient.setColorAt(1.0, end);
    } else {
        gradient.setColorAt(0.0, start);
        gradient.setColorAt(1.0, end);
    }
    return gradient;
}

void fillGlyphs(QPainter &p, const QPainterPath &shape, const QRectF &box, const EffectTextStyle &style,
                const TAAEffect &e)
{
    if (e.Gradual.Enabled)
        p.fillPath(shape, gradientFor(e.Gradual, box));
    else
        p.fillPath(shape, toQColor(style.color));

    if (!e.Texture.Enabled || style.texture.isNull())
        return;
    const QImage &tex = style.texture;
    p.save();
    p.setClipPath(shape);
    switch (e.Texture.Mode) {
    case TextureMode::tmTiled: {
        QBrush brush(tex);
        brush.setTransform(QTransform::fromTranslate(box.left(), box.top()));
        p.fillPath(shape, brush);
        break;
    }
    case TextureMode::tmStretched:
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(box, tex);
        break;
    case TextureMode::tmCenter:
        p.drawImage(QPointF(box.center().x() - tex.width() / 2.0, box.center().y() - tex.height() / 2.0), tex);
        break;
    case TextureMode::tmNormal:
        p.drawImage(box.topLeft(), tex);
        break;
    }
    p.restore();
}

// A solid shadow colour through the coverage of `glyphs`, `reach` pixels larger on every side.
QImage shadowFrom(const QImage &glyphs, QColor color, int reach, int radius)
{
    const int w = glyphs.width() + 2 * reach, h = glyphs.height() + 2 * reach;
    std::vector<std::uint8_t> alpha(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < glyphs.height(); ++y) {
        const auto *px = reinterpret_cast<const QRgb *>(glyphs.constScanLine(y));
        std::uint8_t *row = alpha.data() + static_cast<size_t>(y + reach) * w + reach;
        for (int x = 0; x < glyphs.width(); ++x)
            row[x] = static_cast<std::uint8_t>(qAlpha(px[x]));
    }
    blur(alpha.data(), w, h, w, 1, radius);
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const int r = color.red(), g = color.green(), b = color.blue();
    for (int y = 0; y < h; ++y) {
        auto *px = reinterpret_cast<QRgb *>(out.scanLine(y));
        const std::uint8_t *row = alpha.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const int a = row[x];
            px[x] = qRgba(r * a / 255, g * a / 255, b * a / 255, a);
        }
    }
    return out;
}

}  // namespace

QImage renderEffectText(const QString &text, const EffectTextStyle &style)
{
    const TAAEffect e = clampEffect(style.effect);
    const QFontMetricsF fm(style.font);
    QString clean = text;
    clean.remove(QLatin1Char('\r'));
    const QStringList lines = clean.split(QLatin1Char('\n'));
    const double fontPixels = std::max(1.0, fm.ascent() + fm.descent());

    QPainterPath path;
    double blockWidth = 0;
    for (const QString &line : lines)
        blockWidth = std::max(blockWidth, fm.horizontalAdvance(line));
    for (int i = 0; i < lines.size(); ++i) {
        const double w = fm.horizontalAdvance(lines[i]);
        double x = 0;
        if (style.alignment == TextAlignment::Center)
            x = (blockWidth - w) / 2;
        else if (style.alignment == TextAlignment::Right)
            x = blockWidth - w;
        path.addText(x, i * fm.lineSpacing() + fm.ascent(), style.font, lines[i]);
    }
    const QRectF block(0, 0, blockWidth, (lines.size() - 1) * fm.lineSpacing() + fm.height());

    QPainterPath shape = path;
    if (e.Outline) {
        QPainterPathStroker stroker;
        stroker.setWidth(std::max(1.0, fontPixels / 28));
        stroker.setJoinStyle(Qt::RoundJoin);
        shape = stroker.createStroke(path);
    }
    // The line box keeps labels of different captions the same height; the ink
    // box adds what italics and outlines draw beyond it.
    const QRectF box = block.united(shape.boundingRect());
    if (box.width() < 1) {
        QImage empty(1, std::max(1, static_cast<int>(std::ceil(block.height()))), QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }

    // Rotation counter-clockwise for positive angles, then the mirrors, as if
    // the finished bitmap were turned and flipped.
    QTransform turn;
    turn.translate(box.center().x(), box.center().y());
    turn.scale(e.HorzMirror ? -1 : 1, e.VertMirror ? -1 : 1);
    turn.rotate(-e.Angle);
    turn.translate(-box.center().x(), -box.center().y());
    const QRectF turned = turn.mapRect(box);

    const int blurRadius = strengthToPixels(e.Blur, fontPixels);
    const int sprayRadius = strengthToPixels(e.Spray, fontPixels) / 2;
    const int margin = blurReach(blurRadius) + sprayRadius;
    const QSize layerSize(static_cast<int>(std::ceil(turned.width())) + 2 * margin,
                          static_cast<int>(std::ceil(turned.height())) + 2 * margin);
    const int supersample = style.quality == RenderQuality::High ? 2 : 1;

    QImage layer(layerSize * supersample, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing,
                        style.quality == RenderQuality::High || style.quality == RenderQuality::Normal);
        p.scale(supersample, supersample);
        p.translate(margin - turned.left(), margin - turned.top());
        p.setTransform(turn, true);
        fillGlyphs(p, shape, box, style, e);
    }
    if (supersample > 1)
        layer = layer.scaled(layerSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (style.quality == RenderQuality::Low)
        boxPass(layer.bits(), layer.width(), layer.height(), layer.bytesPerLine(), 4, 1);

    Scatter scatter(0x2545F491u);
    if (sprayRadius > 0)
        spray(layer, sprayRadius, scatter);
    if (e.Noise > 0)
        noise(layer, e.Noise, scatter);

    QImage shadow;
    QPoint shadowAt;
    if (e.Shadow.Enabled) {
        const int radius = strengthToPixels(e.Shadow.Blur, fontPixels);
        const int reach = blurReach(radius);
        shadow = shadowFrom(layer, toQColor(e.Shadow.Color), reach, radius);
        shadowAt = QPoint(e.Shadow.OffsetX - reach, e.Shadow.OffsetY - reach);
    }
    if (blurRadius > 0)
        blurImage(layer, blurRadius);

    QRect canvas(QPoint(0, 0), layer.size());
    if (!shadow.isNull())
        canvas = canvas.united(QRect(shadowAt, shadow.size()));
    QImage out(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.translate(-canvas.topLeft());
    if (!shadow.isNull()) {
        p.setOpacity(e.Shadow.Alpha / 100.0);
        p.drawImage(shadowAt, shadow);
    }
    p.setOpacity(e.Alpha / 100.0);
    p.drawImage(0, 0, layer);
    return out;
}

QImage loadTexturePicture(std::string_view storedPath)
{
    if (storedPath.empty())
        return {};
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
    const std::filesystem::path file = resolveStoredPath(programDir, storedPath);
    QImage image(QString::fromStdString(file.string()));
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void drawBackground(QPainter &painter, const QRect &rect, const QImage &picture, BackgroundMode mode)
{
    if (picture.isNull())
        return;
    painter.save();
    painter.setClipRect(rect);
    switch (mode) {
    case BackgroundMode::Tiled: {
        QBrush brush(picture);
        brush.setTransform(QTransform::fromTranslate(rect.left(), rect.top()));
        painter.fillRect(rect, brush);
        break;
    }
    case BackgroundMode::Stretched:
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect, picture);
        break;
    case BackgroundMode::Center:
        painter.drawImage(rect.left() + (rect.width() - picture.width()) / 2,
                          rect.top() + (rect.height() - picture.height()) / 2, picture);
        break;
    case BackgroundMode::Normal:
        painter.drawImage(rect.topLeft(), picture);
        break;
    }
    painter.restore();
}

}  // namespace tessaly
