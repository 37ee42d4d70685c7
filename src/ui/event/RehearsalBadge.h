// The small "彩排" mark in a corner of the stage during a rehearsal, so nobody
// mistakes a trial run on a throw-away copy for the real draw.
#pragma once

#include "ui/common/StageOverlay.h"

#include <QLabel>

#include <functional>

namespace tessaly {

class RehearsalBadge : public QLabel {
    Q_OBJECT
public:
    // `scale`: how much larger than on a 1920x1080 stage the mark is drawn.
    explicit RehearsalBadge(QWidget *stage, std::function<double()> scale = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    StageOverlay *m_overlay;
};

}  // namespace tessaly
