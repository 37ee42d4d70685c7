// The status line of the stage's tool bar: the operator's notices, the newest
// with how many came since the operator last looked, all of them in its tip.
// It sits in the auto-hidden bar, so nothing of it reaches the audience.
#pragma once

#include <QLabel>

namespace tessaly {

class OperatorNotices;
struct OperatorNotice;

class NoticeLine : public QLabel {
    Q_OBJECT
public:
    // Follows the notices from now on; they outlive the line.
    NoticeLine(OperatorNotices &notices, QWidget *bar);
    ~NoticeLine() override;

    // Widest the line grows before its text is cut with "…".
    static constexpr int kMaxWidth = 640;

signals:
    // A notice was shown; the bar fits itself to the new text.
    void changed();

protected:
    void enterEvent(QEnterEvent *event) override;

private:
    void refresh();

    OperatorNotices &m_notices;
    int m_subscription = 0;
};

}  // namespace tessaly
