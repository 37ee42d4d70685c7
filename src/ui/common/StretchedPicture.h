// A picture stretched over a widget, scaled once per size and kept in a
// format the painter copies without converting, so repaints of small regions
// stay cheap.
#pragma once

#include <QColor>
#include <QImage>

class QPainter;
class QRect;
class QSize;

namespace tessaly {

class StretchedPicture {
public:
    void setImage(const QImage &image);
    void clear() { setImage({}); }
    bool isNull() const { return m_image.isNull(); }
    // Paints the dirty part of the stretched picture, or `fallback` without one.
    void paint(QPainter &painter, const QSize &size, const QRect &dirty, const QColor &fallback = Qt::transparent);

private:
    QImage m_image;
    QImage m_scaled;
};

}  // namespace tessaly
