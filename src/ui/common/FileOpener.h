// Opening a file with the desktop's own program for it (logs, result lists,
// the help file); injectable so tests never launch anything.
#pragma once

#include <QString>

namespace tessaly {

class FileOpener {
public:
    virtual ~FileOpener() = default;
    // True when the desktop accepted the request.
    virtual bool open(const QString &path) = 0;
};

class DesktopFileOpener : public FileOpener {
public:
    bool open(const QString &path) override;
};

}  // namespace tessaly
