// The plain scroller: a text block moved by Step pixels every Interval
// milliseconds in one of four directions; once it has left the control it
// enters again from the opposite edge. Optional pauses after every SecondStep
// lines (or text widths).
#pragma once

#include "ui/effects/TAAFontEffect.h"
#include "ui/effects/TickDriver.h"

#include <QImage>
#include <QWidget>

namespace tessaly {

class TickClock;

enum class ScrollDirection { sdLeft, sdRight, sdUp, sdDown };

class TSkyScrollText : public QWidget {
    Q_OBJECT
public:
    explicit TSkyScrollText(QWidget *parent = nullptr);

    bool active() const { return m_active; }
    void setActive(bool active);
    // Lines separated by "\n"; the new text starts again from its resting position.
    QString text() const { return m_text; }
    void setText(const QString &text);
    // The font is the widget's font (setFont); its colour is kept here.
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);
    // Background colour, painted unless Transparent.
    TColor color() const { return m_color; }
    void setColor(TColor color);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    ScrollDirection scrollDirection() const { return m_direction; }
    void setScrollDirection(ScrollDirection direction);
    // Pixels per tick (0: the text stands still); takes effect at the next tick.
    int step() const { return m_step; }
    void setStep(int pixels);
    // Milliseconds per tick; takes effect at the next tick.
    int interval() const { return m_interval; }
    void setInterval(int ms);
    // Lines within the block, and the block across the control when it scrolls vertically.
    TextAlignment alignment() const { return m_alignment; }
    void setAlignment(TextAlignment alignment);
    // The block down the control when it scrolls horizontally.
    TextLayout layout() const { return m_layout; }
    void setLayout(TextLayout layout);
    // On: SecondStep counts lines (up, down) or text widths (left, right); off: pixels.
    bool alignToLine() const { return m_alignToLine; }
    void setAlignToLine(bool on);
    // On: the control grows to hold the text across the scrolling direction (it never shrinks).
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    // Kept for the stored layouts; painting is always double buffered.
    bool doubleBuffered() const { return m_doubleBuffered; }
    void setDoubleBuffered(bool on) { m_doubleBuffered = on; }
    // On: lines wider than the control break (vertical scrolling only).
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    // On: characters stand in cells (a Chinese character two, others one), so
    // lines padded with blanks keep their columns whatever the font.
    bool cellAligned() const { return m_cellAligned; }
    void setCellAligned(bool on);
    int tabSpaces() const { return m_tabSpaces; }
    void setTabSpaces(int spaces);
    // With SecondInterval at least Interval, the text rests SecondInterval / Interval
    // ticks each time it has moved SecondStep units.
    int secondStep() const { return m_secondStep; }
    void setSecondStep(int units);
    int secondInterval() const { return m_secondInterval; }
    void setSecondInterval(int ms);

    // Top-left corner of the text block in the control.
    QPoint textPosition() const { return m_pos; }
    QSize textSize() const;
    // Puts the text back at its resting position.
    void restart();
    // Milliseconds the text rests at its resting position when it starts and
    // before each new pass; with a pause, a pass that has scrolled out starts
    // again from the resting position instead of entering from the far edge.
    int passPause() const { return m_passPause; }
    void setPassPause(int ms);
    // Moves the text by hand against the scrolling direction (positive: further
    // into the text), kept between its resting position and its far end in view.
    void moveBy(int pixels);

    // Ticks are scheduled by this clock (the steady clock unless a test sets one).
    void setClock(const TickClock *clock);
    // Performs every tick that is due by the clock; the timer calls it.
    void processDueTicks();

signals:
    void mouseMoved(const QPoint &pos);
    void activeChanged(bool active);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void tick();
    void textChanged();
    const QImage &block() const;
    QPoint restingPosition() const;
    int pauseUnit() const;
    void growToText();

    bool m_active = true;
    QString m_text;
    TColor m_fontColor = colors::clWindowText;
    TColor m_color = colors::clBtnFace;
    bool m_transparent = true;
    ScrollDirection m_direction = ScrollDirection::sdLeft;
    int m_step = 5;
    int m_interval = 200;
    TextAlignment m_alignment = TextAlignment::Left;
    TextLayout m_layout = TextLayout::Center;
    bool m_alignToLine = true;
    bool m_autoSize = true;
    bool m_doubleBuffered = true;
    bool m_wordWrap = false;
    int m_tabSpaces = 8;
    bool m_cellAligned = false;
    int m_secondStep = 1;
    int m_secondInterval = 0;
    int m_passPause = 0;

    mutable QImage m_block;
    mutable int m_lineHeight = 0;
    mutable bool m_blockValid = false;
    QPoint m_pos;
    bool m_placed = false;
    int m_moved = 0;       // pixels moved since the last pause or re-entry
    int m_restTicks = 0;   // ticks still to rest
    TickDriver m_ticks;
};

}  // namespace tessaly
