// The proof on the console: the commitment published for the draw in force
// (the short code the stage shows), the audit chain's latest hash after each
// stop, the guests' numbers of the award about to begin, with the link that
// opens their step, and the seed's state with the link that reveals it, so
// the operator runs the proof's part from here.
#pragma once

#include <QObject>

class QLabel;

namespace tessaly {

class DrawControl;
class TFrmConsole;

class ProofFields : public QObject {
    Q_OBJECT
public:
    ProofFields(TFrmConsole &console, DrawControl &control);

    void refresh();

private:
    void openGuests();

    TFrmConsole &m_console;
    DrawControl &m_control;
    QLabel *m_commitment = nullptr;
    QLabel *m_chain = nullptr;
    QLabel *m_guests = nullptr;
    QLabel *m_seed = nullptr;
};

}  // namespace tessaly
