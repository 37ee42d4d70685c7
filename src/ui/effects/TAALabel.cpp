#include "ui/effects/TAALabel.h"

#include "ui/common/QtValues.h"
#include "ui/effects/EffectRenderer.h"
#include "ui/effects/TextWrap.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tessaly {

TAALabel::TAALabel(QWidget *parent) : TAALabel(QString(), parent) {}

TAALabel::TAALabel(const QString &caption, QWidget *parent) : QWidget(parent), m_caption(caption)
{
    // The stage attaches its drag handle on a plain mouse move over a label.
    setMouseTracking(true);
    applyAutoSize();
}

void TAALabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    textChanged();
}

void TAALabel::setWrapWidth(int width)
{
    width = std::max(0, width);
    if (width == m_wrapWidth)
        return;
    m_wrapWidth = width;
    textChanged();
}

QString TAALabel::shownCaption() const
{
    if (m_wrapWidth <= 0)
        return m_caption;
    QString clean = m_caption;
    clean.remove(QLatin1Char('\r'));
    return wrapLines(clean.split(QLatin1Char('\n')), font(), m_wrapWidth).join(QLatin1Char('\n'));
}

void TAALabel::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    textChanged();
}

void TAALabel::setEffect(const TAAFontEffect &effect)
{
    const bool textDiffers = effect.Quality != m_effect.Quality || effect.Alignment != m_effect.Alignment;
    const TAAEffect current = m_effect.FontEffect;
    m_effect = effect;
    m_effect.FontEffect = current;
    if (textDiffers)
        textChanged();
    else
        frameChanged();
    // Re-renders, and reloads the texture picture, only when the record differs.
    setFontEffect(effect.FontEffect);
}

void TAALabel::setFontEffect(const TAAEffect &fontEffect)
{
    if (fontEffect == m_effect.FontEffect)
        return;
    m_effect.FontEffect = fontEffect;
    if (fontEffect.Texture.Picture != m_texturePath) {
        m_texturePath = fontEffect.Texture.Picture;
        m_texture = loadTexturePicture(m_texturePath);
    }
    textChanged();
}

void TAALabel::setTransparent(bool transparent)
{
    if (transparent == m_effect.Transparent)
        return;
    m_effect.Transparent = transparent;
    frameChanged();
}

void TAALabel::setBackColor(TColor color)
{
    if (color == m_effect.BackColor)
        return;
    m_effect.BackColor = color;
    frameChanged();
}

void TAALabel::setAlignment(TextAlignment alignment)
{
    if (alignment == m_effect.Alignment)
        return;
    m_effect.Alignment = alignment;
    textChanged();
}

void TAALabel::setLayout(TextLayout layout)
{
    if (layout == m_effect.Layout)
        return;
    m_effect.Layout = layout;
    frameChanged();
}

void TAALabel::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    applyAutoSize();
}

void TAALabel::setBorder(int border)
{
    m_border = std::max(0, border);
    applyAutoSize();
    frameChanged();
}

QSize TAALabel::sizeHint() const
{
    return textSize() + QSize(2 * m_border, 2 * m_border);
}

QImage TAALabel::renderedText() const
{
    return text();
}

void TAALabel::textChanged()
{
    m_sizeValid = false;
    m_textValid = false;
    m_frameValid = false;
    applyAutoSize();
    update();
}

void TAALabel::frameChanged()
{
    m_frameValid = false;
    update();
}

void TAALabel::applyAutoSize()
{
    if (m_autoSize)
        resize(sizeHint());
}

EffectTextStyle TAALabel::style() const
{
    EffectTextStyle style;
    style.font = font();
    style.color = m_fontColor;
    style.effect = m_effect.FontEffect;
    style.texture = m_texture;
    style.quality = m_effect.Quality;
    style.alignment = m_effect.Alignment;
    return style;
}

QSize TAALabel::textSize() const
{
    if (!m_sizeValid) {
        m_textSize = m_textValid ? m_text.size() : effectTextSize(shownCaption(), style());
        m_sizeValid = true;
    }
    return m_textSize;
}

const QImage &TAALabel::text() const
{
    if (!m_textValid) {
        m_text = renderEffectText(shownCaption(), style());
        m_textValid = true;
        ++m_renderCount;
    }
    return m_text;
}

const QImage &TAALabel::frame() const
{
    if (!m_frameValid) {
        m_frame = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_frame.fill(Qt::transparent);
        QPainter p(&m_frame);
        if (!m_effect.Transparent) {
            p.fillRect(m_frame.rect(), toQColor(m_effect.BackColor));
            drawBackground(p, m_frame.rect(), m_effect.BackGround, m_effect.BackGroundMode);
        }
        const QImage &t = text();
        const QRect inner = m_frame.rect().adjusted(m_border, m_border, -m_border, -m_border);
        int x = inner.left();
        if (m_effect.Alignment == TextAlignment::Center)
            x = inner.left() + (inner.width() - t.width()) / 2;
        else if (m_effect.Alignment == TextAlignment::Right)
            x = inner.right() + 1 - t.width();
        int y = inner.top();
        if (m_effect.Layout == TextLayout::Center)
            y = inner.top() + (inner.height() - t.height()) / 2;
        else if (m_effect.Layout == TextLayout::Bottom)
            y = inner.bottom() + 1 - t.height();
        p.drawImage(x, y, t);
        m_frameValid = true;
    }
    return m_frame;
}

void TAALabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, frame());
}

void TAALabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    frameChanged();
}

void TAALabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        textChanged();
    QWidget::changeEvent(event);
}

void TAALabel::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void TAALabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void TAALabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace tessaly
