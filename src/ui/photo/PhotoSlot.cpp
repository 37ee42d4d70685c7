#include "ui/photo/PhotoSlot.h"

#include <QGraphicsDropShadowEffect>
#include <QMouseEvent>
#include <QPainter>

namespace tessaly {

PhotoSlot::PhotoSlot(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    setObjectName(QStringLiteral("img_%1").arg(index));
    setProperty("tag", kTag);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void PhotoSlot::setPicture(const QImage *picture, bool smooth)
{
    m_picture = picture;
    m_smooth = smooth;
    // A slot with a picture covers itself, so the stage need not repaint beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent, picture != nullptr);
    update();
}

void PhotoSlot::paintEvent(QPaintEvent *)
{
    if (!m_picture || m_picture->isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, m_smooth);
    if (m_picture->size() == size())
        p.drawImage(0, 0, *m_picture);
    else
        p.drawImage(rect(), *m_picture);
}

void PhotoSlot::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

PhotoCaption::PhotoCaption(int index, QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("imgtxt_%1").arg(index));
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // A soft shadow keeps a light caption readable on a light photo.
    auto *shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(6);
    shadow->setOffset(1, 1);
    shadow->setColor(QColor(0, 0, 0, 220));
    setGraphicsEffect(shadow);
    hide();
}

}  // namespace tessaly
