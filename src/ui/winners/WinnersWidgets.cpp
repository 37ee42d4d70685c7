#include "ui/winners/WinnersWidgets.h"

#include "core/files/Paths.h"
#include "core/participants/Jpeg.h"
#include "core/participants/PhotoTable.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "ui/common/CellText.h"
#include "ui/common/GbkText.h"

#include <QFontMetricsF>
#include <QImageReader>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <unordered_map>

namespace tessaly {

QImage winnersBackground(const std::filesystem::path &programDir, const std::string &stored, QSize stage)
{
    QImage bitmap(stage, QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    const std::string ext = asciiLower(std::filesystem::path(gbkToUtf8(stored)).extension().string());
    if (!storedFileExists(programDir, stored))
        return bitmap;
    const QString file = QString::fromStdString(resolveStoredPath(programDir, stored).string());
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".png") {
        // Decoded straight to the stage's size: a photo from a camera never
        // sits in memory at its own size.
        QImageReader reader(file);
        reader.setScaledSize(stage);
        const QImage picture = reader.read();
        if (!picture.isNull())
            bitmap = picture.convertToFormat(QImage::Format_RGB32);
    } else if (ext == ".bmp") {
        QImage picture(file);
        if (!picture.isNull())
            bitmap = picture.convertToFormat(QImage::Format_RGB32);
    }
    return bitmap;
}

WinnersCanvas::WinnersCanvas(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WinnersCanvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WinnersCanvas::setBackground(const QImage &image)
{
    m_background = image;
    m_tile = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    update();
}

void WinnersCanvas::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (m_background.isNull())
        p.fillRect(event->rect(), Qt::black);
    else
        p.drawTiledPixmap(event->rect(), m_tile, event->rect().topLeft());
}

WinnersTextBlock::WinnersTextBlock(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Label_tx"));
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

void WinnersTextBlock::setText(const QStringList &lines, const QFont &font, const QColor &color, int headingLines,
                               const QFont &headingFont)
{
    m_lines = lines;
    m_color = color;
    m_headingLines = std::clamp<int>(headingLines, 0, static_cast<int>(lines.size()));
    setFont(font);
    // The heading is the block's own font at its size, resolved as the block's
    // is: a font taken on its own may fall back to other glyphs when painted.
    m_headingFont = this->font();
    if (m_headingLines > 0 && headingFont.pointSizeF() > 0)
        m_headingFont.setPointSizeF(headingFont.pointSizeF());
    const QSize head = m_headingLines > 0 ? cellTextSize(m_headingFont, lines.mid(0, m_headingLines)) : QSize();
    const QSize body = cellTextSize(font, lines.mid(m_headingLines));
    resize(std::max(head.width(), body.width()), head.height() + body.height());
    update();
}

bool WinnersTextBlock::blank() const
{
    return m_lines.join(QString()).trimmed().isEmpty();
}

void WinnersTextBlock::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(m_color);
    // Each line centred in the block, counted in cells like the padding, so
    // that the rows of padded names line up.
    qreal y = 0;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QFont &f = i < m_headingLines ? m_headingFont : font();
        const qreal x = (width() - cellCount(m_lines[i]) * cellWidth(f)) / 2.0;
        drawCellText(p, f, {m_lines[i]}, QPointF(std::max<qreal>(0, x), y));
        y += QFontMetricsF(f).height();
    }
}

void WinnersTextBlock::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

CaptionText::CaptionText(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void CaptionText::setText(const QString &text, const QFont &font, const QColor &color)
{
    m_text = text;
    m_color = color;
    setFont(font);
    const QFontMetrics m(font);
    resize(std::max(1, m.horizontalAdvance(text)), m.height());
    update();
}

void CaptionText::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(m_color);
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

PhotoTile::PhotoTile(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PhotoTile::setImage(const QImage &image)
{
    m_image = image;
    m_loaded = true;
    update();
}

void PhotoTile::dropImage()
{
    m_image = QImage();
    m_loaded = false;
}

void PhotoTile::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_loaded) {
        p.fillRect(rect(), QColor(60, 60, 70));  // on its way
        return;
    }
    if (!m_image.isNull()) {
        if (m_image.size() == size())
            p.drawImage(0, 0, m_image);
        else
            p.drawImage(rect(), m_image);
        return;
    }
    // No photo: a quiet grey card, so the name under it still tells who won.
    p.fillRect(rect(), QColor(60, 60, 70));
    p.setPen(QColor(120, 120, 135));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int r = std::min(width(), height()) / 5;
    p.setBrush(QColor(95, 95, 110));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(width() / 2, height() / 3), r, r);
    p.drawRoundedRect(QRect(width() / 2 - 2 * r, height() / 3 + r + 4, 4 * r, 2 * r), r / 2.0, r / 2.0);
}

namespace {

// A copy of `image` no larger than `tile` on either side: a small photo is
// stretched when painted, not kept at the tile's size.
QImage shrunkTo(const QImage &image, QSize tile)
{
    const QSize size(std::min(image.width(), tile.width()), std::min(image.height(), tile.height()));
    if (size == image.size())
        return image.copy();
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

std::function<QImage(const std::string &)> photoTableSource(const PhotoTable &table,
                                                         const std::vector<std::string> &names)
{
    auto index = std::make_shared<std::unordered_map<std::string, int>>();
    for (size_t i = 0; i < names.size(); ++i)
        index->emplace(names[i], static_cast<int>(i));
    return [&table, index](const std::string &name) {
        auto it = index->find(name);
        const PhotoView *photo = it == index->end() ? nullptr : table.photo(it->second);
        if (!photo || photo->empty())
            return QImage();
        // Wraps the table's pixels without copying; the caller scales them into its own image.
        return QImage(photo->bits(), photo->width, photo->height, photo->bytesPerLine(), QImage::Format_RGB32);
    };
}

std::optional<std::filesystem::path> WinnerPhotoCache::photoFile(const std::string &name) const
{
    // A name that would reach outside photo\ has no photo there.
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name.find("..") != std::string::npos)
        return std::nullopt;
    const std::string stored = "photo\\" + name + ".jpg";
    if (!storedFileExists(m_dir, stored))
        return std::nullopt;
    return resolveStoredPath(m_dir, stored);
}

QImage WinnerPhotoCache::decode(const std::string &name, QSize tile) const
{
    const auto file = photoFile(name);
    if (!file)
        return {};
    auto decoded = loadJpegFile(*file, {tile.width(), tile.height()});
    if (!decoded || decoded->empty())
        return {};
    const QImage wrapped(decoded->bits(), decoded->width, decoded->height, decoded->bytesPerLine(),
                         QImage::Format_RGB32);
    return shrunkTo(wrapped, tile);
}

struct WinnerPhotoCache::Prefetch {
    QString sizeKey;
    std::vector<std::string> names;
    std::vector<QImage> images;
    std::atomic<size_t> done{0};
    std::atomic<bool> stop{false};
    std::thread thread;
};

WinnerPhotoCache::WinnerPhotoCache(std::filesystem::path programDir) : m_dir(std::move(programDir)) {}

WinnerPhotoCache::~WinnerPhotoCache()
{
    absorbPrefetch();
}

void WinnerPhotoCache::clear()
{
    absorbPrefetch();
    m_cache.clear();
    m_bytes = 0;
}

void WinnerPhotoCache::keep(const QString &key, const QImage &image)
{
    if (auto it = m_cache.find(key); it != m_cache.end()) {
        m_bytes -= it->image.sizeInBytes();
        m_cache.erase(it);
    }
    m_cache.insert(key, {image, ++m_clock});
    m_bytes += image.sizeInBytes();
    while (m_bytes > kBudgetBytes && m_cache.size() > 1) {
        auto oldest = m_cache.begin();
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it)
            if (it->used < oldest->used)
                oldest = it;
        m_bytes -= oldest->image.sizeInBytes();
        m_cache.erase(oldest);
    }
}

void WinnerPhotoCache::absorbPrefetch()
{
    if (!m_prefetch)
        return;
    m_prefetch->stop = true;
    m_prefetch->thread.join();
    const size_t done = m_prefetch->done;
    for (size_t i = 0; i < done; ++i)
        keep(m_prefetch->sizeKey + toQt(m_prefetch->names[i]), m_prefetch->images[i]);
    m_prefetch.reset();
}

void WinnerPhotoCache::prefetch(const std::vector<std::string> &names, QSize tile)
{
    absorbPrefetch();
    if (m_source)
        return;  // photo mode's table is at hand: nothing to decode ahead
    auto job = std::make_unique<Prefetch>();
    job->sizeKey = QStringLiteral("%1x%2|").arg(tile.width()).arg(tile.height());
    for (const auto &name : names)
        if (!m_cache.contains(job->sizeKey + toQt(name)))
            job->names.push_back(name);
    if (job->names.empty())
        return;
    job->images.resize(job->names.size());
    Prefetch *raw = job.get();
    job->thread = std::thread([this, raw, tile] {
        for (size_t i = 0; i < raw->names.size() && !raw->stop; ++i) {
            raw->images[i] = decode(raw->names[i], tile);
            raw->done = i + 1;
        }
    });
    m_prefetch = std::move(job);
}

QSize WinnerPhotoCache::largestPhoto(const std::vector<std::string> &names) const
{
    QSize largest;
    for (const std::string &name : names) {
        QSize size;
        if (m_source)
            size = m_source(name).size();
        if (!size.isValid())
            if (const auto file = photoFile(name))
                size = QImageReader(QString::fromStdString(file->string())).size();  // reads the header only
        if (size.isValid())
            largest = largest.expandedTo(size);
    }
    return largest;
}

std::vector<QImage> WinnerPhotoCache::pictures(const std::vector<std::string> &names, QSize tile)
{
    absorbPrefetch();
    const QString sizeKey = QStringLiteral("%1x%2|").arg(tile.width()).arg(tile.height());
    std::vector<QImage> out(names.size());
    std::vector<size_t> wanted;
    for (size_t i = 0; i < names.size(); ++i) {
        auto it = m_cache.find(sizeKey + toQt(names[i]));
        if (it != m_cache.end()) {
            it->used = ++m_clock;
            out[i] = it->image;
        } else {
            wanted.push_back(i);
        }
    }
    if (!wanted.empty()) {
        // Scaling a decoded picture and decoding a file both run on every core.
        std::atomic<size_t> next{0};
        auto work = [&] {
            for (size_t k; (k = next.fetch_add(1)) < wanted.size();) {
                const std::string &name = names[wanted[k]];
                QImage decoded = m_source ? m_source(name) : QImage();
                out[wanted[k]] = decoded.isNull() ? decode(name, tile) : shrunkTo(decoded, tile);
            }
        };
        const size_t threads =
            std::min<size_t>(wanted.size(), std::max(1u, std::thread::hardware_concurrency())) - 1;
        std::vector<std::thread> pool;
        for (size_t t = 0; t < threads; ++t)
            pool.emplace_back(work);
        work();
        for (auto &t : pool)
            t.join();
        for (size_t i : wanted)
            keep(sizeKey + toQt(names[i]), out[i]);
    }
    return out;
}

}  // namespace tessaly
