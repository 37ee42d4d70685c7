#include "ui/effects/TSkyScrollText.h"

#include "ui/effects/TickClock.h"

namespace tessaly {

TSkyScrollText::TSkyScrollText(QWidget *parent) : QWidget(parent), m_clock(&TickClock::steady()) {}
void TSkyScrollText::setActive(bool active) { m_active = active; }
void TSkyScrollText::setText(const QString &text) { m_text = text; }
void TSkyScrollText::setFontColor(TColor color) { m_fontColor = color; }
void TSkyScrollText::setColor(TColor color) { m_color = color; }
void TSkyScrollText::setTransparent(bool transparent) { m_transparent = transparent; }
void TSkyScrollText::setScrollDirection(ScrollDirection direction) { m_direction = direction; }
void TSkyScrollText::setStep(int pixels) { m_step = pixels; }
void TSkyScrollText::setInterval(int ms) { m_interval = ms; }
void TSkyScrollText::setAlignment(TextAlignment alignment) { m_alignment = alignment; }
void TSkyScrollText::setLayout(TextLayout layout) { m_layout = layout; }
void TSkyScrollText::setAlignToLine(bool on) { m_alignToLine = on; }
void TSkyScrollText::setAutoSize(bool on) { m_autoSize = on; }
void TSkyScrollText::setWordWrap(bool on) { m_wordWrap = on; }
void TSkyScrollText::setTabSpaces(int spaces) { m_tabSpaces = spaces; }
void TSkyScrollText::setSecondStep(int units) { m_secondStep = units; }
void TSkyScrollText::setSecondInterval(int ms) { m_secondInterval = ms; }
QSize TSkyScrollText::textSize() const { return {}; }
void TSkyScrollText::restart() {}
void TSkyScrollText::setClock(const TickClock *clock) { m_clock = clock; }
void TSkyScrollText::processDueTicks() {}
void TSkyScrollText::paintEvent(QPaintEvent *) {}
void TSkyScrollText::resizeEvent(QResizeEvent *) {}
void TSkyScrollText::changeEvent(QEvent *event) { QWidget::changeEvent(event); }
void TSkyScrollText::mouseMoveEvent(QMouseEvent *) {}

}  // namespace tessaly
