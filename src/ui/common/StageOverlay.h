// What the program's own marks over the stage share (the commitment badge, the
// guests' numbers, the hall's code and QR code, the rehearsal mark): they are
// drawn at the stage's overlay scale, and placed again, clear of the stage's
// elements and of each other, whenever the stage or one of its elements moves.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <cmath>
#include <functional>

class QWidget;

namespace tessaly {

class StageOverlay : public QObject {
public:
    // `scale`: how much larger than on a 1920x1080 stage the mark is drawn (1
    // when not given); `place` puts it where it belongs on the stage.
    StageOverlay(QWidget *stage, std::function<double()> scale, std::function<void()> place, QObject *parent);

    // Reads the stage's scale again: true when it changed since the last read, and the first time.
    bool rescaled();
    double factor() const { return m_factor; }
    // Pixels at a 1920x1080 stage, at the stage's scale.
    int px(int pixels) const { return static_cast<int>(std::lround(pixels * m_factor)); }

    // Where `mark`, wanted at `at`, stands clear of the stage's elements: moved up
    // (or down) past every other visible one it meets, the other marks included,
    // as long as its top stays below `limit` (or its bottom above it); a layer
    // over the whole stage, or one that gives way to the marks, is no obstacle.
    QPoint clearOf(const QWidget *mark, QRect at, bool upwards, int limit) const;

    // A mark the others keep clear of, or a layer over the middle of the stage
    // (the hall's QR code) that gives way to the marks instead.
    enum class Kind { Mark, Layer };
    static void setKind(QWidget *widget, Kind kind);
    static bool isMark(const QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_stage;
    std::function<double()> m_scale;
    std::function<void()> m_place;
    double m_factor = 0;
    QList<QPointer<QWidget>> m_watched;
};

}  // namespace tessaly
