#include "ui/common/StageWidgets.h"

#include "ui/common/CellText.h"
#include "ui/common/QtValues.h"

#include <QEnterEvent>
#include <QPaintEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace tessaly {

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
}

bool PictureBox::loadPicture(const QString &path)
{
    m_picture.setImage(QImage(path));
    update();
    return !m_picture.isNull();
}

void PictureBox::clearPicture()
{
    m_picture.clear();
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    m_picture.paint(p, size(), event->rect());
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

TRzButton::TRzButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);  // the start key must never press a focused button
    setCursor(Qt::PointingHandCursor);
}

void TRzButton::setColor(TColor color)
{
    m_color = color;
    update();
}

void TRzButton::setHotTrackColor(TColor color)
{
    m_hotTrackColor = color;
    update();
}

void TRzButton::setFontColor(TColor color)
{
    m_fontColor = color;
    update();
}

void TRzButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QColor face = toQColor(m_color);
    if (isDown())
        face = face.darker(130);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, face.lighter(125));
    g.setColorAt(1, face);
    p.setBrush(g);
    p.setPen(QPen(m_hot ? toQColor(m_hotTrackColor) : face.darker(150), m_hot ? 3 : 1.5));
    p.drawRoundedRect(r, 6, 6);
    p.setPen(toQColor(m_fontColor));
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter, text());
}

void TRzButton::enterEvent(QEnterEvent *event)
{
    m_hot = true;
    update();
    QPushButton::enterEvent(event);
}

void TRzButton::leaveEvent(QEvent *event)
{
    m_hot = false;
    update();
    QPushButton::leaveEvent(event);
}

void TRzButton::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QPushButton::mouseMoveEvent(event);
}

SlotLabel::SlotLabel(bool sizedToText, QWidget *parent) : QWidget(parent), m_sizedToText(sizedToText)
{
    setMouseTracking(true);
}

void SlotLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_lines = text.split(QLatin1Char('\r'));
    if (m_sizedToText)
        fitToText();
    update();
}

void SlotLabel::setFontColor(TColor color)
{
    m_fontColor = color;
    update();
}

void SlotLabel::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void SlotLabel::setColor(TColor color)
{
    m_color = color;
    update();
}

QSize SlotLabel::textSize() const
{
    return cellTextSize(font(), m_lines);
}

void SlotLabel::fitToText()
{
    // Lays the runs out for the paint too: a rolling tick shapes only entries not shown before.
    resize(m_cells.layout(font(), m_lines).expandedTo(QSize(1, 1)));
}

void SlotLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && m_sizedToText)
        fitToText();
    QWidget::changeEvent(event);
}

void SlotLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_transparent)
        p.fillRect(rect(), toQColor(m_color));
    p.setFont(font());
    p.setPen(toQColor(m_fontColor));
    if (!m_sizedToText) {
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
        return;
    }
    m_cells.draw(p, QPointF(0, 0));
}

void SlotLabel::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

}  // namespace tessaly
