// Services for UI tests: message boxes answered from a script, pickers that
// return prepared answers, and a file opener that only records.
#pragma once

#include "support/ScriptedMessages.h"
#include "ui/common/FileOpener.h"
#include "support/ScriptedPickers.h"

#include <QStringList>

namespace tessaly::test {

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
