// A QR code as a picture, through libqrencode: the commitment a phone can read
// from the stage or from the printed sheet.
#pragma once

#include <QImage>
#include <QString>

namespace tessaly {

// Black modules on white with a four-module quiet zone, each module `scale`
// pixels; a null image when the text cannot be encoded.
QImage qrImage(const QString &text, int scale);

}  // namespace tessaly
