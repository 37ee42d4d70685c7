// Services for UI tests: message boxes answered from a script, pickers that
// return prepared answers, and a file opener that only records.
#pragma once

#include "support/ScriptedMessages.h"
#include "ui/common/FileOpener.h"
#include "ui/common/PickerService.h"

#include <QStringList>
#include <optional>

namespace tessaly::test {

class ScriptedPickers : public PickerService {
public:
    std::optional<QColor> pickColor(QWidget *, const QColor &) override { return nextColor; }
    QString pickOpenFile(QWidget *, const QString &, const QString &) override { return nextFile; }
    QString pickSaveFile(QWidget *, const QString &, const QString &, const QString &) override { return nextFile; }

    std::optional<QColor> nextColor;
    QString nextFile;
};

class RecordingOpener : public FileOpener {
public:
    bool open(const QString &path) override
    {
        opened << path;
        return true;
    }
    QStringList opened;
};

struct TestServices {
    ScriptedMessages messages;
    ScriptedPickers pickers;
    RecordingOpener opener;
};

}  // namespace tessaly::test
