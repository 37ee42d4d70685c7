// Opening a file with the desktop's own program for it (logs, result lists,
// the help file); injectable so tests never launch anything.
#pragma once

#include <QString>

class QWidget;

namespace tessaly {

class MessageService;

class FileOpener {
public:
    virtual ~FileOpener() = default;
    // True when the request was made. A failure found later (no program for
    // the file) is reported by the opener itself.
    virtual bool open(const QString &path) = 0;
};

// Opens through the desktop's opener program (xdg-open) without waiting for
// it: a missing file, a missing opener or an opener that finds no program for
// the file is shown to the operator with the path and the reason.
class DesktopFileOpener : public FileOpener {
public:
    explicit DesktopFileOpener(MessageService &messages, QString opener = QStringLiteral("xdg-open"));
    bool open(const QString &path) override;

    // The operator's words for an exit status of the opener program.
    static QString reasonForExitCode(int code);

private:
    void report(const QString &path, const QString &reason);

    MessageService &m_messages;
    QString m_opener;
};

}  // namespace tessaly
