#include "ui/effects/TStretchHandle.h"

namespace tessaly {

TStretchHandle::TStretchHandle(QWidget *home) : QWidget(home), m_home(home) {}
Status TStretchHandle::attach(QWidget *) { return Ok{}; }
void TStretchHandle::detach() {}
QList<QWidget *> TStretchHandle::attachedControls() const { return {}; }
bool TStretchHandle::isAttached(const QWidget *) const { return false; }
void TStretchHandle::setGridX(int pixels) { m_gridX = pixels; }
void TStretchHandle::setGridY(int pixels) { m_gridY = pixels; }
void TStretchHandle::setColor(TColor color) { m_color = color; }
void TStretchHandle::setSecondaryColor(TColor color) { m_secondaryColor = color; }
QList<QRect> TStretchHandle::grabSquares() const { return {}; }
void TStretchHandle::paintEvent(QPaintEvent *) {}
void TStretchHandle::mousePressEvent(QMouseEvent *) {}
void TStretchHandle::mouseMoveEvent(QMouseEvent *) {}
void TStretchHandle::mouseReleaseEvent(QMouseEvent *) {}
void TStretchHandle::keyPressEvent(QKeyEvent *) {}

}  // namespace tessaly
