// The drag handle of the adjustment mode: a frame two pixels outside the
// attached control with eight grab squares; dragging inside moves the control,
// dragging a square resizes it, Ctrl+arrows move and Shift+arrows resize it by
// one pixel.
#pragma once

#include "Result.h"
#include "core/settings/Encodings.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tessaly {

class TStretchHandle : public QWidget {
    Q_OBJECT
public:
    // `home` owns the handle while nothing is attached.
    explicit TStretchHandle(QWidget *home = nullptr);

    // Puts the handle around the control (which must not be a window). A control
    // already attached changes nothing. Further controls of the same parent join
    // the first: the frame covers them all and dragging moves them together.
    Status attach(QWidget *control);
    // Releases every control, shrinks to 24 by 24 pixels, hides, and returns to its home.
    void detach();
    QList<QWidget *> attachedControls() const;
    bool isAttached(const QWidget *control) const;

    int gridX() const { return m_gridX; }
    void setGridX(int pixels);
    int gridY() const { return m_gridY; }
    void setGridY(int pixels);
    bool snapToGrid() const { return m_snapToGrid; }
    void setSnapToGrid(bool on) { m_snapToGrid = on; }
    // The grab squares and the frame, and the squares' border.
    TColor color() const { return m_color; }
    void setColor(TColor color);
    TColor secondaryColor() const { return m_secondaryColor; }
    void setSecondaryColor(TColor color);

    // The eight grab squares in handle coordinates: corners and side middles,
    // clockwise from the top-left corner.
    QList<QRect> grabSquares() const;

signals:
    // The attached controls took new bounds (after a drag or a key).
    void controlsChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum Edge : unsigned { None = 0, Left = 1, Top = 2, Right = 4, Bottom = 8, Move = 16 };

    void wrapControls();
    QRect controlsRect() const;
    void applyHandleRect(const QRect &handleRect);
    unsigned edgesAt(const QPoint &pos) const;
    QRect draggedRect(const QPoint &parentPos) const;
    int snap(int value, int grid) const;

    QPointer<QWidget> m_home;
    QList<QPointer<QWidget>> m_controls;
    int m_gridX = 1;
    int m_gridY = 1;
    bool m_snapToGrid = true;
    TColor m_color = colors::clBlack;
    TColor m_secondaryColor = colors::clGray;

    unsigned m_dragEdges = None;
    QPoint m_dragStart;  // parent coordinates
    QRect m_dragStartRect;
};

}  // namespace tessaly
