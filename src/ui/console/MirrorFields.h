// The mirror on the console: the folder every save is copied to, whether the
// last copy went through (and when) or why not, and the commit counters of the
// event folder and of the mirror, so the operator sees at a glance that the
// spare laptop could take over from the last stop.
#pragma once

#include <QObject>

class QLabel;

namespace tessaly {

class TFrmConsole;
class TFrmMain;

class MirrorFields : public QObject {
    Q_OBJECT
public:
    // The fields go on the console's progress box; they follow the stage's mirror state.
    MirrorFields(TFrmConsole &console, TFrmMain &stage);

    void refresh();

private:
    TFrmConsole &m_console;
    TFrmMain &m_stage;
    QLabel *m_folder = nullptr;
    QLabel *m_state = nullptr;
    QLabel *m_counters = nullptr;
};

}  // namespace tessaly
