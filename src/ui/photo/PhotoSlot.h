// One picture slot of the stage in photo mode ("img_" + its number, tag 222):
// it paints the picture it is given stretched over itself, and its caption
// label carries the winner's text after a stop.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace tessaly {

class PhotoSlot : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTag = 222;

    PhotoSlot(int index, QWidget *parent);

    int index() const { return m_index; }
    // The picture is not copied: it must outlive the slot or be replaced first.
    // Smooth stretching is for the stopped winner; rolling paints take the fast path.
    void setPicture(const QImage *picture, bool smooth);
    const QImage *picture() const { return m_picture; }

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int m_index;
    const QImage *m_picture = nullptr;
    bool m_smooth = false;
};

// The transparent caption under a slot's picture.
class PhotoCaption : public QLabel {
    Q_OBJECT
public:
    PhotoCaption(int index, QWidget *parent);
};

}  // namespace tessaly
