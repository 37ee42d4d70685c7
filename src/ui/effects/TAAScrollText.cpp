#include "ui/effects/TAAScrollText.h"

#include "ui/effects/TickClock.h"

namespace tessaly {

TAAScrollText::TAAScrollText(QWidget *parent) : QWidget(parent), m_clock(&TickClock::steady()) {}
void TAAScrollText::setActive(bool active) { m_active = active; }
void TAAScrollText::setScrollStep(int pixels) { m_scrollStep = pixels; }
void TAAScrollText::setScrollDelay(int ms) { m_scrollDelay = ms; }
void TAAScrollText::setRepeatCount(int count) { m_repeatCount = count; }
void TAAScrollText::setRepeatDelay(int ms) { m_repeatDelay = ms; }
void TAAScrollText::setAutoUpdate(bool autoUpdate) { m_autoUpdate = autoUpdate; }
void TAAScrollText::setLines(const QStringList &lines) { m_lines = lines; }
void TAAScrollText::setFontColor(TColor color) { m_fontColor = color; }
void TAAScrollText::setFontEffect(const TAAEffect &effect) { m_fontEffect = effect; }
void TAAScrollText::setBackColor(TColor color) { m_backColor = color; }
void TAAScrollText::setAlignment(TextAlignment alignment) { m_alignment = alignment; }
void TAAScrollText::setRowPitch(int percent) { m_rowPitch = percent; }
void TAAScrollText::setFade(bool fade) { m_fade = fade; }
void TAAScrollText::setFadeHeight(int pixels) { m_fadeHeight = pixels; }
void TAAScrollText::setHeadSpace(int pixels) { m_headSpace = pixels; }
void TAAScrollText::setTailSpace(int pixels) { m_tailSpace = pixels; }
void TAAScrollText::setWordWrap(bool wordWrap) { m_wordWrap = wordWrap; }
void TAAScrollText::setBackGround(const QImage &picture) { m_backGround = picture; }
void TAAScrollText::setBackGroundMode(BackgroundMode mode) { m_backGroundMode = mode; }
void TAAScrollText::updateText() {}
void TAAScrollText::rewind() {}
int TAAScrollText::stripHeight() const { return 0; }
void TAAScrollText::setClock(const TickClock *clock) { m_clock = clock; }
void TAAScrollText::processDueTicks() {}
void TAAScrollText::paintEvent(QPaintEvent *) {}
void TAAScrollText::resizeEvent(QResizeEvent *) {}
void TAAScrollText::changeEvent(QEvent *event) { QWidget::changeEvent(event); }
void TAAScrollText::mouseMoveEvent(QMouseEvent *) {}

}  // namespace tessaly
