// The commitment and the audit chain's latest hash in a corner of the stage:
// the short code and its QR code before the draw, the hash after every stop,
// where the hall can photograph them.
#pragma once

#include <QLabel>
#include <QPointer>

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    // Text, margins and the QR code's modules at the stage's scale.
    void applyScale();
    void showCode();

    std::function<double()> m_scale;
    double m_factor = 0;
    QLabel *m_qr = nullptr;
    QLabel *m_text = nullptr;
    QString m_shownHex;
    QList<QPointer<QWidget>> m_watched;
};

}  // namespace tessaly
