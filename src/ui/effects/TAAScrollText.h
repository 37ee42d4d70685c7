// The effect scroller: lines of text rendered with one font and one effect
// record into a strip (head space, lines, tail space) that rises through the
// control by ScrollStep pixels every ScrollDelay milliseconds, fading out at
// the top and bottom edges, with a pause at the start of every pass.
#pragma once

#include "ui/effects/TAAFontEffect.h"
#include "ui/effects/TickDriver.h"

#include <QStringList>
#include <QWidget>
#include <vector>

namespace tessaly {

class TickClock;

class TAAScrollText : public QWidget {
    Q_OBJECT
public:
    explicit TAAScrollText(QWidget *parent = nullptr);

    // Off stops where the text stands; on resumes from there (waiting RepeatDelay first when at the strip's start).
    bool active() const { return m_active; }
    void setActive(bool active);
    // Pixels per tick; takes effect at the next tick.
    int scrollStep() const { return m_scrollStep; }
    void setScrollStep(int pixels);
    // Milliseconds per tick; takes effect at the next tick.
    int scrollDelay() const { return m_scrollDelay; }
    void setScrollDelay(int ms);
    // Passes before scrolling stops; 0 scrolls without end.
    int repeatCount() const { return m_repeatCount; }
    void setRepeatCount(int count);
    // Pause in milliseconds at the start of each pass; 0 for none.
    int repeatDelay() const { return m_repeatDelay; }
    void setRepeatDelay(int ms);
    // Off: text changes wait for updateText().
    bool autoUpdate() const { return m_autoUpdate; }
    void setAutoUpdate(bool autoUpdate);

    // The text part. The font is the widget's font (setFont).
    QStringList lines() const { return m_lines; }
    void setLines(const QStringList &lines);
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);
    const TAAEffect &fontEffect() const { return m_fontEffect; }
    void setFontEffect(const TAAEffect &effect);
    TColor backColor() const { return m_backColor; }
    void setBackColor(TColor color);
    TextAlignment alignment() const { return m_alignment; }
    void setAlignment(TextAlignment alignment);
    // Extra space between lines in percent of the line height, -100..150.
    int rowPitch() const { return m_rowPitch; }
    void setRowPitch(int percent);
    bool fade() const { return m_fade; }
    void setFade(bool fade);
    // Pixels over which the text fades out at the top and bottom edges.
    int fadeHeight() const { return m_fadeHeight; }
    void setFadeHeight(int pixels);
    // Blank pixels above the first line and below the last one in the strip.
    int headSpace() const { return m_headSpace; }
    void setHeadSpace(int pixels);
    int tailSpace() const { return m_tailSpace; }
    void setTailSpace(int pixels);
    // On: lines wider than the control break at word (or CJK character) boundaries.
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wordWrap);
    const QImage &backGround() const { return m_backGround; }
    void setBackGround(const QImage &picture);
    BackgroundMode backGroundMode() const { return m_backGroundMode; }
    void setBackGroundMode(BackgroundMode mode);

    // Applies text changes made while AutoUpdate was off.
    void updateText();
    // Back to the strip's start with no passes counted.
    void rewind();
    // Moves the visible window by hand (positive: further down the text), kept
    // between the strip's start and the point where its end is in view.
    void moveBy(int pixels);

    // Where the visible window stands in the strip, in pixels from its start.
    int position() const { return m_position; }
    // Head space, the lines with their row pitch, and tail space.
    int stripHeight() const;
    int passCount() const { return m_passes; }
    // True while a pass waits at the strip's start.
    bool pausing() const { return m_pausing; }

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
    struct Row {
        QString text;
        int top = 0;  // in the strip
        mutable QImage image;  // rendered while the row is in view, dropped when it leaves
        mutable bool painted = false;
    };

    void tick();
    void textChanged();
    void layoutRows() const;
    const QImage &rowImage(const Row &row) const;
    void paintStrip(QPainter &painter, int stripTop, int reach) const;

    bool m_active = true;
    int m_scrollStep = 1;
    int m_scrollDelay = 60;
    int m_repeatCount = 0;
    int m_repeatDelay = 2000;
    bool m_autoUpdate = true;

    QStringList m_lines;
    TColor m_fontColor = colors::clBlack;
    TAAEffect m_fontEffect;
    TColor m_backColor = colors::clWhite;
    TextAlignment m_alignment = TextAlignment::Center;
    int m_rowPitch = 20;
    bool m_fade = true;
    int m_fadeHeight = 10;
    int m_headSpace = 0;
    int m_tailSpace = 60;
    bool m_wordWrap = false;
    QImage m_backGround;
    BackgroundMode m_backGroundMode = BackgroundMode::Center;

    std::string m_texturePath;
    QImage m_texture;
    mutable std::vector<Row> m_rows;
    mutable int m_stripHeight = 0;
    mutable bool m_rowsValid = false;
    bool m_textPending = false;

    int m_position = 0;
    int m_passes = 0;
    bool m_pausing = false;
    TickDriver m_ticks;
};

}  // namespace tessaly
