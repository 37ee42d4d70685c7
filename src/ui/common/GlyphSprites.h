// Glyphs drawn many times a second, as the rolling text block draws them: each
// glyph is rendered once by QPainter, per colour and per sub-pixel position, into
// a small premultiplied sprite; a paint lays the sprites into a transparent layer
// and draws that layer in one call. Qt blends every glyph a pixel at a time, which
// cost most of a 500-entry roll tick, and large glyphs are filled as outlines.
#pragma once

#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRawFont>

#include <array>
#include <vector>

class QPainter;

namespace tessaly {

struct PlacedGlyph {
    int font = 0;       // in the fonts given to draw
    quint32 index = 0;  // the glyph in that font
    QPointF position;   // its baseline origin
};

class GlyphSprites {
public:
    // Whether sprites paint what the painter would: the raster engine at one device
    // pixel per pixel, no scaling or rotation, an opaque solid pen, source-over at
    // full opacity.
    static bool suits(QPainter &painter, QPointF origin);
    // Draws the glyphs in the pen's colour at origin + their positions; what would
    // fall outside `area` (from origin) is left out.
    void draw(QPainter &painter, QPointF origin, QSize area, const std::vector<QRawFont> &fonts,
              const std::vector<PlacedGlyph> &glyphs);
    // Forgets every sprite: the fonts they were rendered from changed.
    void clear();

private:
    struct Sprite {
        QImage image;   // premultiplied, cropped to what is inked
        QPoint offset;  // of its top left from the glyph's whole-pixel origin
    };
    // The sub-pixel positions (in 64ths, as Qt keeps glyph positions) a font draws
    // alike, along x and along y, and the first fraction of each class.
    struct Classes {
        std::array<quint8, 64> x{}, y{};
        std::array<quint8, 64> firstX{}, firstY{};
    };
    const Classes &classes(int slot, const QRawFont &font);
    const Sprite &sprite(int slot, const QRawFont &font, quint32 glyph, int fx, int fy);

    QRgb m_color = 0;
    std::vector<Classes> m_classes;
    std::vector<bool> m_classesKnown;
    QHash<quint64, int> m_index;  // font slot, x and y class, glyph -> m_sprites
    std::vector<Sprite> m_sprites;
    qsizetype m_spriteBytes = 0;
    QImage m_layer;  // the band the glyphs are laid into, clear between paints
};

}  // namespace tessaly
