#include "ui/common/StretchedPicture.h"

#include <QPainter>

namespace tessaly {

void StretchedPicture::setImage(const QImage &image)
{
    m_image = image;
    m_scaled = {};
}

void StretchedPicture::paint(QPainter &painter, const QSize &size, const QRect &dirty, const QColor &fallback)
{
    if (m_image.isNull() || size.isEmpty()) {
        if (fallback.alpha() > 0)
            painter.fillRect(dirty, fallback);
        return;
    }
    // An opaque picture stays opaque: the repaint under a rolling text block is
    // then a plain copy of its rows instead of a blend of every pixel.
    if (m_scaled.size() != size)
        m_scaled = m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(m_image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                  : QImage::Format_RGB32);
    painter.drawImage(dirty, m_scaled, dirty);
}

}  // namespace tessaly
