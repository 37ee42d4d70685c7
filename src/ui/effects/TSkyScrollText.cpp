#include "ui/effects/TSkyScrollText.h"

#include "ui/common/CellText.h"
#include "ui/common/QtValues.h"
#include "ui/effects/TextWrap.h"
#include "ui/effects/TickClock.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <algorithm>

namespace tessaly {
namespace {

bool horizontal(ScrollDirection d)
{
    return d == ScrollDirection::sdLeft || d == ScrollDirection::sdRight;
}

}  // namespace

TSkyScrollText::TSkyScrollText(QWidget *parent)
    : QWidget(parent), m_ticks(this, [this] { return m_active; }, [this] { tick(); })
{
    setMouseTracking(true);
    m_ticks.restart(m_interval);
    m_ticks.arm();
}

void TSkyScrollText::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (m_active) {
        m_ticks.restart(m_interval);
        m_ticks.arm();
    } else {
        m_ticks.stop();
    }
    emit activeChanged(m_active);
}

void TSkyScrollText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    textChanged();
}

void TSkyScrollText::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    m_blockValid = false;
    update();
}

void TSkyScrollText::setColor(TColor color)
{
    m_color = color;
    update();
}

void TSkyScrollText::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void TSkyScrollText::setScrollDirection(ScrollDirection direction)
{
    if (direction == m_direction)
        return;
    m_direction = direction;
    textChanged();
}

void TSkyScrollText::setStep(int pixels)
{
    m_step = pixels;
}

void TSkyScrollText::setInterval(int ms)
{
    m_interval = std::max(1, ms);
    m_ticks.schedule().setInterval(m_interval);
    m_ticks.arm();
}

void TSkyScrollText::setAlignment(TextAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    textChanged();
}

void TSkyScrollText::setLayout(TextLayout layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    textChanged();
}

void TSkyScrollText::setAlignToLine(bool on)
{
    m_alignToLine = on;
}

void TSkyScrollText::setAutoSize(bool on)
{
    m_autoSize = on;
    growToText();
}

void TSkyScrollText::setWordWrap(bool on)
{
    if (on == m_wordWrap)
        return;
    m_wordWrap = on;
    textChanged();
}

void TSkyScrollText::setTabSpaces(int spaces)
{
    m_tabSpaces = std::max(0, spaces);
    textChanged();
}

void TSkyScrollText::setSecondStep(int units)
{
    m_secondStep = std::max(0, units);
}

void TSkyScrollText::setSecondInterval(int ms)
{
    m_secondInterval = std::max(0, ms);
}

QSize TSkyScrollText::textSize() const
{
    return block().size();
}

void TSkyScrollText::restart()
{
    m_pos = restingPosition();
    m_moved = 0;
    m_restTicks = m_passPause / std::max(1, m_interval);
    m_placed = false;
    update();
}

void TSkyScrollText::setPassPause(int ms)
{
    m_passPause = std::max(0, ms);
    if (!m_placed)
        m_restTicks = m_passPause / std::max(1, m_interval);
}

void TSkyScrollText::moveBy(int pixels)
{
    const QSize size = block().size();
    const QPoint rest = restingPosition();
    if (horizontal(m_direction)) {
        const int farEnd = std::min(rest.x(), width() - size.width());
        m_pos.setX(std::clamp(m_pos.x() - pixels, farEnd, rest.x()));
    } else {
        const int farEnd = std::min(rest.y(), height() - size.height());
        m_pos.setY(std::clamp(m_pos.y() - pixels, farEnd, rest.y()));
    }
    m_placed = true;
    update();
}

void TSkyScrollText::setClock(const TickClock *clock)
{
    m_ticks.setClock(clock);
    m_ticks.restart(m_interval);
    m_ticks.arm();
}

void TSkyScrollText::processDueTicks()
{
    m_ticks.processDueTicks();
}

void TSkyScrollText::tick()
{
    if (m_step == 0)
        return;
    if (m_restTicks > 0) {
        --m_restTicks;
        return;
    }
    const QSize size = block().size();
    m_placed = true;
    int dx = 0, dy = 0;
    switch (m_direction) {
    case ScrollDirection::sdLeft:
        dx = -m_step;
        break;
    case ScrollDirection::sdRight:
        dx = m_step;
        break;
    case ScrollDirection::sdUp:
        dy = -m_step;
        break;
    case ScrollDirection::sdDown:
        dy = m_step;
        break;
    }
    m_pos += QPoint(dx, dy);
    m_moved += std::abs(m_step);

    // Once the whole block has left the control it enters again from the opposite edge.
    bool reentered = true;
    if (dx < 0 && m_pos.x() + size.width() <= 0)
        m_pos.setX(width());
    else if (dx > 0 && m_pos.x() >= width())
        m_pos.setX(-size.width());
    else if (dy < 0 && m_pos.y() + size.height() <= 0)
        m_pos.setY(height());
    else if (dy > 0 && m_pos.y() >= height())
        m_pos.setY(-size.height());
    else
        reentered = false;
    if (reentered) {
        m_moved = 0;
        if (m_passPause > 0) {
            // The next pass starts where the first did, after a short rest, not after a screen of nothing.
            m_pos = restingPosition();
            m_restTicks = m_passPause / std::max(1, m_interval);
        }
    }

    if (m_secondInterval >= m_interval && m_secondInterval > 0 && m_secondStep > 0) {
        const int distance = m_secondStep * pauseUnit();
        if (distance > 0 && m_moved >= distance) {
            m_moved -= distance;
            m_restTicks = m_secondInterval / m_interval;
        }
    }
    update();
}

int TSkyScrollText::pauseUnit() const
{
    if (!m_alignToLine)
        return 1;
    if (horizontal(m_direction))
        return std::max(1, block().width());
    block();
    return std::max(1, m_lineHeight);
}

void TSkyScrollText::textChanged()
{
    m_blockValid = false;
    growToText();
    restart();
}

void TSkyScrollText::setCellAligned(bool on)
{
    if (on == m_cellAligned)
        return;
    m_cellAligned = on;
    textChanged();
}

const QImage &TSkyScrollText::block() const
{
    if (m_blockValid)
        return m_block;
    const QFontMetrics fm(font());
    QString text = m_text;
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\t'), QString(m_tabSpaces, QLatin1Char(' ')));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (m_wordWrap && !horizontal(m_direction))
        lines = wrapLines(lines, font(), width());
    m_lineHeight = fm.lineSpacing();
    auto lineWidth = [&](const QString &line) {
        // Cell-aligned lines are as wide as what is drawn, digits reaching past their cells included.
        return m_cellAligned ? cellTextSize(font(), {line}).width() : fm.horizontalAdvance(line);
    };
    int blockWidth = 1;
    for (const QString &line : lines)
        blockWidth = std::max(blockWidth, lineWidth(line));
    const int blockHeight = std::max(1, static_cast<int>((lines.size() - 1) * fm.lineSpacing() + fm.height()));

    m_block = QImage(blockWidth, blockHeight, QImage::Format_ARGB32_Premultiplied);
    m_block.fill(Qt::transparent);
    QPainter p(&m_block);
    p.setFont(font());
    p.setPen(toQColor(m_fontColor));
    for (int i = 0; i < lines.size(); ++i) {
        const int w = lineWidth(lines[i]);
        int x = 0;
        if (m_alignment == TextAlignment::Center)
            x = (blockWidth - w) / 2;
        else if (m_alignment == TextAlignment::Right)
            x = blockWidth - w;
        if (m_cellAligned)
            drawCellText(p, font(), {lines[i]}, QPointF(x, i * fm.lineSpacing()));
        else
            p.drawText(x, i * fm.lineSpacing() + fm.ascent(), lines[i]);
    }
    m_blockValid = true;
    return m_block;
}

QPoint TSkyScrollText::restingPosition() const
{
    const QSize size = block().size();
    int x = 0;
    if (m_alignment == TextAlignment::Center)
        x = (width() - size.width()) / 2;
    else if (m_alignment == TextAlignment::Right)
        x = width() - size.width();
    int y = 0;
    if (m_layout == TextLayout::Center)
        y = (height() - size.height()) / 2;
    else if (m_layout == TextLayout::Bottom)
        y = height() - size.height();
    return {x, y};
}

void TSkyScrollText::growToText()
{
    if (!m_autoSize)
        return;
    const QSize size = block().size();
    if (horizontal(m_direction) && height() < size.height())
        resize(width(), size.height());
    else if (!horizontal(m_direction) && !m_wordWrap && width() < size.width())
        resize(size.width(), height());
}

void TSkyScrollText::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_transparent)
        p.fillRect(rect(), toQColor(m_color));
    p.drawImage(m_pos, block());
}

void TSkyScrollText::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_wordWrap && !horizontal(m_direction))
        m_blockValid = false;
    // Across the scrolling direction the text always follows the alignment and
    // layout; along it, a text that has not moved yet takes its resting place.
    const QPoint rest = restingPosition();
    if (!m_placed)
        m_pos = rest;
    else if (horizontal(m_direction))
        m_pos.setY(rest.y());
    else
        m_pos.setX(rest.x());
    update();
}

void TSkyScrollText::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        textChanged();
    QWidget::changeEvent(event);
}

void TSkyScrollText::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

}  // namespace tessaly
