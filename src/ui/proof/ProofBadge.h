// The commitment and the audit chain's latest hash in a corner of the stage:
// the short code and its QR code before the draw, the hash after every stop,
// where the hall can photograph them.
#pragma once

#include "ui/common/StageOverlay.h"

#include <QLabel>

#include <functional>

namespace tessaly {

struct StageCaptions;

class ProofBadge : public QWidget {
    Q_OBJECT
public:
    // `scale`: how much larger than on a 1920x1080 stage the badge is drawn, so
    // that it grows with a stage shown in proportion to its screen.
    explicit ProofBadge(QWidget *stage, std::function<double()> scale = {});

    void showProof(const StageCaptions &captions);

private:
    void place();
    // Text, margins and the QR code's modules at the stage's scale.
    void applyScale();
    void showCode();

    StageOverlay *m_overlay;
    QLabel *m_qr = nullptr;
    QLabel *m_text = nullptr;
    QString m_shownHex;
};

}  // namespace tessaly
