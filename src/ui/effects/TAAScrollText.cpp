#include "ui/effects/TAAScrollText.h"

#include "ui/common/QtValues.h"
#include "ui/effects/EffectRenderer.h"
#include "ui/effects/TextWrap.h"
#include "ui/effects/TickClock.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tessaly {

TAAScrollText::TAAScrollText(QWidget *parent)
    : QWidget(parent), m_ticks(this, [this] { return m_active; }, [this] { tick(); })
{
    setMouseTracking(true);
    m_ticks.restart(m_scrollDelay);
    if (m_repeatDelay > 0) {
        m_ticks.schedule().pause(m_repeatDelay);
        m_pausing = true;
    }
    m_ticks.arm();
}

void TAAScrollText::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (m_active) {
        // A scroller that finished its passes starts them again.
        if (m_repeatCount != 0 && m_passes >= m_repeatCount)
            m_passes = 0;
        m_ticks.restart(m_scrollDelay);
        m_pausing = m_position == 0 && m_repeatDelay > 0;
        if (m_pausing)
            m_ticks.schedule().pause(m_repeatDelay);
        m_ticks.arm();
    } else {
        m_ticks.stop();
        m_pausing = false;
    }
    emit activeChanged(m_active);
}

void TAAScrollText::setScrollStep(int pixels)
{
    m_scrollStep = pixels;
}

void TAAScrollText::setScrollDelay(int ms)
{
    m_scrollDelay = std::max(1, ms);
    m_ticks.schedule().setInterval(m_scrollDelay);
    m_ticks.arm();
}

void TAAScrollText::setRepeatCount(int count)
{
    m_repeatCount = std::max(0, count);
}

void TAAScrollText::setRepeatDelay(int ms)
{
    m_repeatDelay = std::max(0, ms);
    // A pause under way takes the new length.
    if (m_pausing) {
        m_ticks.schedule().pause(m_repeatDelay);
        m_pausing = m_repeatDelay > 0;
        m_ticks.arm();
    }
}

void TAAScrollText::setAutoUpdate(bool autoUpdate)
{
    m_autoUpdate = autoUpdate;
    if (m_autoUpdate && m_textPending)
        updateText();
}

void TAAScrollText::setLines(const QStringList &lines)
{
    m_lines = lines;
    textChanged();
}

void TAAScrollText::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    textChanged();
}

void TAAScrollText::setFontEffect(const TAAEffect &effect)
{
    if (effect == m_fontEffect)
        return;
    m_fontEffect = effect;
    if (effect.Texture.Picture != m_texturePath) {
        m_texturePath = effect.Texture.Picture;
        m_texture = loadTexturePicture(m_texturePath);
    }
    textChanged();
}

void TAAScrollText::setBackColor(TColor color)
{
    m_backColor = color;
    update();
}

void TAAScrollText::setAlignment(TextAlignment alignment)
{
    m_alignment = alignment;
    update();
}

void TAAScrollText::setRowPitch(int percent)
{
    m_rowPitch = std::clamp(percent, -100, 150);
    textChanged();
}

void TAAScrollText::setFade(bool fade)
{
    m_fade = fade;
    update();
}

void TAAScrollText::setFadeHeight(int pixels)
{
    m_fadeHeight = std::max(0, pixels);
    update();
}

void TAAScrollText::setHeadSpace(int pixels)
{
    m_headSpace = std::max(0, pixels);
    textChanged();
}

void TAAScrollText::setTailSpace(int pixels)
{
    m_tailSpace = std::max(0, pixels);
    textChanged();
}

void TAAScrollText::setWordWrap(bool wordWrap)
{
    if (wordWrap == m_wordWrap)
        return;
    m_wordWrap = wordWrap;
    textChanged();
}

void TAAScrollText::setBackGround(const QImage &picture)
{
    m_backGround = picture;
    update();
}

void TAAScrollText::setBackGroundMode(BackgroundMode mode)
{
    m_backGroundMode = mode;
    update();
}

void TAAScrollText::textChanged()
{
    m_textPending = true;
    if (m_autoUpdate)
        updateText();
}

void TAAScrollText::updateText()
{
    m_textPending = false;
    m_rowsValid = false;
    // The window stays where it was, within the new strip.
    const int strip = stripHeight();
    if (strip > 0)
        m_position = ((m_position % strip) + strip) % strip;
    else
        m_position = 0;
    update();
}

void TAAScrollText::rewind()
{
    m_position = 0;
    m_passes = 0;
    update();
}

int TAAScrollText::stripHeight() const
{
    layoutRows();
    return m_stripHeight;
}

void TAAScrollText::layoutRows() const
{
    if (m_rowsValid)
        return;
    const QFontMetrics fm(font());
    const QStringList lines = m_wordWrap ? wrapLines(m_lines, font(), width()) : m_lines;
    // Row pitch is the extra gap between lines in percent of the line height.
    const int pitch = fm.height() * (100 + m_rowPitch) / 100;
    m_rows.clear();
    m_rows.reserve(static_cast<size_t>(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        m_rows.push_back(Row{lines[i], m_headSpace + i * pitch, QImage()});
    const int textHeight = lines.isEmpty() ? 0 : (static_cast<int>(lines.size()) - 1) * pitch + fm.height();
    m_stripHeight = m_headSpace + textHeight + m_tailSpace;
    m_rowsValid = true;
}

const QImage &TAAScrollText::rowImage(const Row &row) const
{
    if (row.image.isNull() && !row.text.trimmed().isEmpty()) {
        EffectTextStyle style;
        style.font = font();
        style.color = m_fontColor;
        style.effect = m_fontEffect;
        style.texture = m_texture;
        row.image = renderEffectText(row.text, style);
    }
    return row.image;
}

void TAAScrollText::setClock(const TickClock *clock)
{
    m_ticks.setClock(clock);
    m_ticks.restart(m_scrollDelay);
    if (m_pausing)
        m_ticks.schedule().pause(m_repeatDelay);
    m_ticks.arm();
}

void TAAScrollText::moveBy(int pixels)
{
    const int last = std::max(0, stripHeight() - height());
    m_position = std::clamp(m_position + pixels, 0, last);
    update();
}

void TAAScrollText::processDueTicks()
{
    m_ticks.processDueTicks();
}

void TAAScrollText::tick()
{
    m_pausing = false;
    const int strip = stripHeight();
    if (strip <= 0 || m_scrollStep == 0)
        return;
    m_position += m_scrollStep;
    if (m_position < 0)
        m_position = (m_position % strip + strip) % strip;
    if (m_position >= strip) {
        m_position %= strip;
        ++m_passes;
        if (m_repeatCount != 0 && m_passes >= m_repeatCount) {
            setActive(false);
        } else if (m_repeatDelay > 0) {
            m_ticks.schedule().pause(m_repeatDelay);
            m_pausing = true;
        }
    }
    update();
}

void TAAScrollText::paintStrip(QPainter &painter, int stripTop, int reach) const
{
    for (const Row &row : m_rows) {
        const int top = stripTop + row.top;
        if (top > height() || top + reach < 0)
            continue;
        const QImage &image = rowImage(row);
        row.painted = true;
        if (image.isNull())
            continue;
        int x = 0;
        if (m_alignment == TextAlignment::Center)
            x = (width() - image.width()) / 2;
        else if (m_alignment == TextAlignment::Right)
            x = width() - image.width();
        painter.drawImage(x, top, image);
    }
}

void TAAScrollText::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(m_backColor));
    drawBackground(p, rect(), m_backGround, m_backGroundMode);

    const int strip = stripHeight();
    if (strip <= 0 || width() <= 0 || height() <= 0)
        return;
    QImage layer(size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        // A rendered row reaches beyond its line (shadow, blur); a generous band keeps it whole.
        const int reach = 4 * QFontMetrics(font()).height();
        // The strip repeats end to end, so the text wraps round without a jump.
        for (int top = -m_position - strip; top < height(); top += strip)
            paintStrip(lp, top, reach);
        // Rows out of view give their images back, so a long results list does not pile up memory.
        for (const Row &row : m_rows) {
            if (!row.painted)
                row.image = QImage();
            row.painted = false;
        }
        if (m_fade && m_fadeHeight > 0) {
            const int band = std::min(m_fadeHeight, height() / 2);
            lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            QLinearGradient top(0, 0, 0, band);
            top.setColorAt(0, Qt::transparent);
            top.setColorAt(1, Qt::black);
            lp.fillRect(0, 0, width(), band, top);
            QLinearGradient bottom(0, height() - band, 0, height());
            bottom.setColorAt(0, Qt::black);
            bottom.setColorAt(1, Qt::transparent);
            lp.fillRect(0, height() - band, width(), band, bottom);
        }
    }
    p.drawImage(0, 0, layer);
}

void TAAScrollText::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_wordWrap)
        textChanged();
}

void TAAScrollText::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        textChanged();
    QWidget::changeEvent(event);
}

void TAAScrollText::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

}  // namespace tessaly
