// The plain widgets of the stage: stretched pictures, the two push buttons with
// their hot-track frame, the fixed-size rolling slots and the text block.
#pragma once

#include "core/settings/Encodings.h"
#include "ui/common/CellText.h"
#include "ui/common/StretchedPicture.h"

#include <QImage>
#include <QPushButton>
#include <QWidget>

namespace tessaly {

// A picture stretched over the whole widget (prize picture, logo).
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    // Loads the file; a missing or unreadable file clears the picture.
    bool loadPicture(const QString &path);
    void clearPicture();
    bool hasPicture() const { return !m_picture.isNull(); }

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    StretchedPicture m_picture;
};

// The start and stop buttons: a filled face in Color with a frame that turns
// HotTrackColor while the mouse is over the button.
class TRzButton : public QPushButton {
    Q_OBJECT
public:
    explicit TRzButton(const QString &caption, QWidget *parent = nullptr);

    TColor color() const { return m_color; }
    void setColor(TColor color);
    TColor hotTrackColor() const { return m_hotTrackColor; }
    void setHotTrackColor(TColor color);
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    TColor m_color = colors::clBtnFace;
    TColor m_hotTrackColor = colors::clYellow;
    TColor m_fontColor = colors::clBlack;
    bool m_hot = false;
};

// A rolling slot (Label1 to Label20, fixed size) or the text block (Label21,
// sized to its text, a CR starts a line). Text is painted directly: the
// rolling ticks change it many times a second.
class SlotLabel : public QWidget {
    Q_OBJECT
public:
    SlotLabel(bool sizedToText, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    TColor color() const { return m_color; }
    void setColor(TColor color);
    // The size the text block takes in the current font.
    QSize textSize() const;

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void fitToText();

    bool m_sizedToText;
    QString m_text;
    QStringList m_lines;
    CellTextCache m_cells;  // the text block's runs, shaped once per font
    TColor m_fontColor = colors::clNavy;
    bool m_transparent = true;
    TColor m_color = colors::clGreen;
};

}  // namespace tessaly
