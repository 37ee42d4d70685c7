#include "ui/effects/TStretchHandle.h"

#include "ui/common/QtValues.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tessaly {
namespace {

constexpr int kSquare = 5;     // side of a grab square
constexpr int kOutside = 2;    // the frame lies this far outside the control
constexpr int kExtra = 5;      // the frame is this much wider and taller than the control
constexpr int kDetachedSize = 24;

}  // namespace

TStretchHandle::TStretchHandle(QWidget *home) : QWidget(home), m_home(home)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(kDetachedSize, kDetachedSize);
    hide();
}

Status TStretchHandle::attach(QWidget *control)
{
    if (!control)
        return makeError(ErrorCode::BadInput, "No control to attach the handle to.");
    if (control->isWindow())
        return makeError(ErrorCode::BadInput, "Handles can not be attached to a Form!");
    if (isAttached(control))
        return Ok{};

    QWidget *parent = control->parentWidget();
    if (!m_controls.isEmpty() && m_controls.first() && m_controls.first()->parentWidget() != parent)
        m_controls.clear();
    m_controls.removeAll(nullptr);
    if (parentWidget() != parent)
        setParent(parent);
    m_controls.append(control);
    wrapControls();
    raise();
    show();
    setFocus(Qt::OtherFocusReason);
    return Ok{};
}

void TStretchHandle::detach()
{
    m_controls.clear();
    m_dragEdges = None;
    resize(kDetachedSize, kDetachedSize);
    hide();
    // Back to the widget that owns the handle, so it is never left without an owner.
    if (parentWidget() != m_home.data())
        setParent(m_home);
}

QList<QWidget *> TStretchHandle::attachedControls() const
{
    QList<QWidget *> out;
    for (const auto &c : m_controls)
        if (c)
            out << c.data();
    return out;
}

bool TStretchHandle::isAttached(const QWidget *control) const
{
    return std::any_of(m_controls.begin(), m_controls.end(), [&](const auto &c) { return c && c.data() == control; });
}

void TStretchHandle::setGridX(int pixels)
{
    m_gridX = std::max(1, pixels);
}

void TStretchHandle::setGridY(int pixels)
{
    m_gridY = std::max(1, pixels);
}

void TStretchHandle::setColor(TColor color)
{
    m_color = color;
    update();
}

void TStretchHandle::setSecondaryColor(TColor color)
{
    m_secondaryColor = color;
    update();
}

QList<QRect> TStretchHandle::grabSquares() const
{
    const int l = 0, c = (width() - kSquare) / 2, r = width() - kSquare;
    const int t = 0, m = (height() - kSquare) / 2, b = height() - kSquare;
    const QSize s(kSquare, kSquare);
    return {QRect(QPoint(l, t), s), QRect(QPoint(c, t), s), QRect(QPoint(r, t), s), QRect(QPoint(r, m), s),
            QRect(QPoint(r, b), s), QRect(QPoint(c, b), s), QRect(QPoint(l, b), s), QRect(QPoint(l, m), s)};
}

QRect TStretchHandle::controlsRect() const
{
    QRect r;
    for (const auto &c : m_controls)
        if (c)
            r = r.united(c->geometry());
    return r;
}

void TStretchHandle::wrapControls()
{
    const QRect r = controlsRect();
    setGeometry(r.left() - kOutside, r.top() - kOutside, r.width() + kExtra, r.height() + kExtra);
}

void TStretchHandle::applyHandleRect(const QRect &handleRect)
{
    setGeometry(handleRect);
    const QRect target(handleRect.left() + kOutside, handleRect.top() + kOutside, handleRect.width() - kExtra,
                       handleRect.height() - kExtra);
    const QList<QWidget *> controls = attachedControls();
    if (controls.size() == 1) {
        controls.first()->setGeometry(target);
    } else {
        // Several controls move together and keep their sizes.
        const QPoint delta = target.topLeft() - controlsRect().topLeft();
        for (QWidget *c : controls)
            c->move(c->pos() + delta);
    }
    emit controlsChanged();
}

unsigned TStretchHandle::edgesAt(const QPoint &pos) const
{
    static constexpr unsigned kSquareEdges[8] = {Left | Top, Top, Right | Top, Right,
                                                 Right | Bottom, Bottom, Left | Bottom, Left};
    // Several controls are only moved together, never resized.
    if (attachedControls().size() == 1) {
        const QList<QRect> squares = grabSquares();
        for (int i = 0; i < squares.size(); ++i)
            if (squares[i].adjusted(-1, -1, 1, 1).contains(pos))
                return kSquareEdges[i];
    }
    return rect().contains(pos) ? unsigned(Move) : unsigned(None);
}

int TStretchHandle::snap(int value, int grid) const
{
    if (!m_snapToGrid || grid <= 1)
        return value;
    return static_cast<int>(std::lround(static_cast<double>(value) / grid)) * grid;
}

QRect TStretchHandle::draggedRect(const QPoint &parentPos) const
{
    const QPoint delta = parentPos - m_dragStart;
    const QRect start(m_dragStartRect.left() + kOutside, m_dragStartRect.top() + kOutside,
                      m_dragStartRect.width() - kExtra, m_dragStartRect.height() - kExtra);
    int left = start.left(), top = start.top(), right = start.left() + start.width(),
        bottom = start.top() + start.height();
    if (m_dragEdges & Move) {
        left = snap(left + delta.x(), m_gridX);
        top = snap(top + delta.y(), m_gridY);
        right = left + start.width();
        bottom = top + start.height();
    } else {
        // A dragged edge never crosses the opposite one: the control keeps at least one pixel.
        if (m_dragEdges & Left)
            left = std::min(snap(left + delta.x(), m_gridX), right - 1);
        if (m_dragEdges & Right)
            right = std::max(snap(right + delta.x(), m_gridX), left + 1);
        if (m_dragEdges & Top)
            top = std::min(snap(top + delta.y(), m_gridY), bottom - 1);
        if (m_dragEdges & Bottom)
            bottom = std::max(snap(bottom + delta.y(), m_gridY), top + 1);
    }
    return QRect(left - kOutside, top - kOutside, right - left + kExtra, bottom - top + kExtra);
}

void TStretchHandle::paintEvent(QPaintEvent *)
{
    // Every mark is drawn twice, dark under light, so that it shows on any background.
    QPainter p(this);
    const QRect frameRect = rect().adjusted(kSquare / 2, kSquare / 2, -kSquare / 2 - 1, -kSquare / 2 - 1);
    p.setPen(QPen(QColor(20, 20, 20), 3));
    p.drawRect(frameRect);
    QPen frame(Qt::white);
    frame.setStyle(Qt::DashLine);
    p.setPen(frame);
    p.drawRect(frameRect);
    const bool resizable = attachedControls().size() == 1;
    for (const QRect &square : grabSquares()) {
        const QColor fill = resizable && m_color != colors::clBlack ? toQColor(m_color)
                            : resizable                          ? QColor(Qt::white)
                                                                 : toQColor(m_secondaryColor);
        p.fillRect(square, QColor(20, 20, 20));
        p.fillRect(square.adjusted(1, 1, -1, -1), fill);
    }
}

void TStretchHandle::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || attachedControls().isEmpty()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragEdges = edgesAt(event->position().toPoint());
    m_dragStart = mapToParent(event->position().toPoint());
    m_dragStartRect = geometry();
}

void TStretchHandle::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragEdges == None) {
        switch (edgesAt(pos)) {
        case Left | Top:
        case Right | Bottom:
            setCursor(Qt::SizeFDiagCursor);
            break;
        case Right | Top:
        case Left | Bottom:
            setCursor(Qt::SizeBDiagCursor);
            break;
        case Left:
        case Right:
            setCursor(Qt::SizeHorCursor);
            break;
        case Top:
        case Bottom:
            setCursor(Qt::SizeVerCursor);
            break;
        default:
            setCursor(Qt::SizeAllCursor);
        }
        return;
    }
    QPoint parentPos = mapToParent(pos);
    if (QWidget *parent = parentWidget()) {
        // The pointer counts only as far as the parent's edges.
        parentPos.setX(std::clamp(parentPos.x(), 0, parent->width() - 1));
        parentPos.setY(std::clamp(parentPos.y(), 0, parent->height() - 1));
    }
    setGeometry(draggedRect(parentPos));
}

void TStretchHandle::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_dragEdges == None) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragEdges = None;
    applyHandleRect(geometry());
    setFocus(Qt::MouseFocusReason);
}

void TStretchHandle::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    int dx = 0, dy = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        dx = -1;
        break;
    case Qt::Key_Right:
        dx = 1;
        break;
    case Qt::Key_Up:
        dy = -1;
        break;
    case Qt::Key_Down:
        dy = 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (attachedControls().isEmpty() || (mods != Qt::ControlModifier && mods != Qt::ShiftModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    QRect r = geometry();
    if (mods == Qt::ControlModifier) {
        r.translate(dx, dy);
    } else {
        if (attachedControls().size() != 1)
            return;
        // The control keeps at least one pixel.
        r.setWidth(std::max(kExtra + 1, r.width() + dx));
        r.setHeight(std::max(kExtra + 1, r.height() + dy));
    }
    applyHandleRect(r);
    event->accept();
}

}  // namespace tessaly
