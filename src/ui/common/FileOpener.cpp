#include "ui/common/FileOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace tessaly {

bool DesktopFileOpener::open(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace tessaly
