// The small "彩排" mark in a corner of the stage during a rehearsal, so nobody
// mistakes a trial run on a throw-away copy for the real draw.
#pragma once

#include <QLabel>

namespace tessaly {

class RehearsalBadge : public QLabel {
    Q_OBJECT
public:
    explicit RehearsalBadge(QWidget *stage);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
};

}  // namespace tessaly
