#include "ui/effects/EffectRenderer.h"

#include <QPainter>

namespace tessaly {

QImage renderEffectText(const QString &, const EffectTextStyle &)
{
    return {};
}

QImage loadTexturePicture(std::string_view)
{
    return {};
}

void drawBackground(QPainter &, const QRect &, const QImage &, BackgroundMode) {}

}  // namespace tessaly
