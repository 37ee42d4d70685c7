// The pieces the winners window is built from: the scrolled canvas with its
// tiled background, the text block laid out in character cells, plain
// captions, the winner pictures, and the decoded pictures kept for paging.
#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// The window's background: a JPEG or PNG stretched to the stage, a BMP as it
// is, anything else (or a missing file) blank. The canvas tiles it.
QImage winnersBackground(const std::filesystem::path &programDir, const std::string &stored, QSize stage);

class WinnersCanvas : public QWidget {
    Q_OBJECT
public:
    explicit WinnersCanvas(QWidget *parent = nullptr);
    void setBackground(const QImage &image);
    const QImage &background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_background;
    QPixmap m_tile;  // the background ready to paint
};

// Lines of text in one colour, in character cells so that padded winners line
// up in columns, each line centred; the first lines (the award's heading) may
// have a font of their own. Sized to its text.
class WinnersTextBlock : public QWidget {
    Q_OBJECT
public:
    explicit WinnersTextBlock(QWidget *parent = nullptr);
    void setText(const QStringList &lines, const QFont &font, const QColor &color, int headingLines = 0,
                 const QFont &headingFont = QFont());
    QFont headingFont() const { return m_headingFont; }
    const QStringList &lines() const { return m_lines; }
    QColor color() const { return m_color; }
    bool blank() const;

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QStringList m_lines;
    QColor m_color;
    int m_headingLines = 0;
    QFont m_headingFont;
};

// One line of transparent text sized to itself.
class CaptionText : public QWidget {
    Q_OBJECT
public:
    explicit CaptionText(QWidget *parent = nullptr);
    void setText(const QString &text, const QFont &font, const QColor &color);
    const QString &text() const { return m_text; }
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_color;
};

// A winner's picture, stretched over the tile when painted; a placeholder
// when the winner has no readable photo. Only tiles in and near the view
// hold pixels: the others are given none, or let go of theirs.
class PhotoTile : public QWidget {
    Q_OBJECT
public:
    explicit PhotoTile(QWidget *parent = nullptr);
    // The decoded photo; a null image when there is none to show.
    void setImage(const QImage &image);
    void dropImage();
    const QImage &image() const { return m_image; }
    bool loaded() const { return m_loaded; }
    bool missing() const { return m_loaded && m_image.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    bool m_loaded = false;
};

// Decoded winner pictures by name and tile size, so paging back and forth
// decodes each photo once. Missing ones are decoded on several threads at a
// time, scaled down while decoding; none is ever made larger than it is. The
// least recently used are let go of past a fixed number of bytes.
class PhotoTable;

// Photo mode's decoded pictures by winner name (the first entry of that
// name); read-only, so the cache may call it from several threads.
std::function<QImage(const std::string &name)> photoTableSource(const PhotoTable &table,
                                                               const std::vector<std::string> &names);

class WinnerPhotoCache {
public:
    explicit WinnerPhotoCache(std::filesystem::path programDir);
    ~WinnerPhotoCache();
    WinnerPhotoCache(const WinnerPhotoCache &) = delete;
    WinnerPhotoCache &operator=(const WinnerPhotoCache &) = delete;

    // Most bytes of pixels the cache keeps.
    static constexpr qint64 kBudgetBytes = 128ll * 1024 * 1024;

    // The pictures of photo\<name>.jpg, no larger than `tile`; a null image
    // for a name without a readable photo.
    std::vector<QImage> pictures(const std::vector<std::string> &names, QSize tile);
    // Decodes the photos of the award the presenter will most likely show
    // next on one background thread, while the current one is on screen.
    // Only for photos read from files; the next pictures() takes what is done.
    void prefetch(const std::vector<std::string> &names, QSize tile);
    // The largest photo among the names, width and height each at their
    // largest, as decoded (photo mode's table) or as stored; empty when none is readable.
    QSize largestPhoto(const std::vector<std::string> &names) const;
    // Pictures decoded elsewhere (photo mode's table), taken instead of
    // decoding; called from several threads at once, so it must only read.
    void setSource(std::function<QImage(const std::string &name)> source) { m_source = std::move(source); }
    void clear();
    qint64 bytes() const { return m_bytes; }

private:
    struct Prefetch;
    struct Entry {
        QImage image;
        quint64 used = 0;  // when it was last asked for
    };
    QImage decode(const std::string &name, QSize tile) const;
    std::optional<std::filesystem::path> photoFile(const std::string &name) const;
    // Stops the background decoding and keeps what it finished.
    void absorbPrefetch();
    void keep(const QString &key, const QImage &image);

    std::filesystem::path m_dir;
    std::function<QImage(const std::string &)> m_source;
    QHash<QString, Entry> m_cache;  // key: size and name
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
    std::unique_ptr<Prefetch> m_prefetch;
};

}  // namespace tessaly
