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
    if (m_scaled.size() != size)
        m_scaled = m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(dirty, m_scaled, dirty);
}

}  // namespace tessaly
