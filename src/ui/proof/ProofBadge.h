// The commitment and the audit chain's latest hash in a corner of the stage:
// the short code and its QR code before the draw, the hash after every stop,
// where the hall can photograph them.
#pragma once

#include <QLabel>
#include <QPointer>

namespace tessaly {

struct StageCaptions;

class ProofBadge : public QWidget {
    Q_OBJECT
public:
    explicit ProofBadge(QWidget *stage);

    void showProof(const StageCaptions &captions);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QLabel *m_qr = nullptr;
    QLabel *m_text = nullptr;
    QString m_shownHex;
    QPointer<QWidget> m_marquee;
};

}  // namespace tessaly
