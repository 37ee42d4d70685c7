#include "ui/effects/TAALabel.h"

#include <QMouseEvent>
#include <QPainter>

namespace tessaly {

TAALabel::TAALabel(QWidget *parent) : QWidget(parent) {}
TAALabel::TAALabel(const QString &caption, QWidget *parent) : QWidget(parent), m_caption(caption) {}
void TAALabel::setCaption(const QString &caption) { m_caption = caption; }
void TAALabel::setFontColor(TColor color) { m_fontColor = color; }
void TAALabel::setEffect(const TAAFontEffect &effect) { m_effect = effect; }
void TAALabel::setFontEffect(const TAAEffect &fontEffect) { m_effect.FontEffect = fontEffect; }
void TAALabel::setTransparent(bool transparent) { m_effect.Transparent = transparent; }
void TAALabel::setBackColor(TColor color) { m_effect.BackColor = color; }
void TAALabel::setAlignment(TextAlignment alignment) { m_effect.Alignment = alignment; }
void TAALabel::setLayout(TextLayout layout) { m_effect.Layout = layout; }
void TAALabel::setAutoSize(bool autoSize) { m_autoSize = autoSize; }
void TAALabel::setBorder(int border) { m_border = border; }
QSize TAALabel::sizeHint() const { return {}; }
QImage TAALabel::renderedText() const { return {}; }
void TAALabel::paintEvent(QPaintEvent *) {}
void TAALabel::resizeEvent(QResizeEvent *) {}
void TAALabel::changeEvent(QEvent *event) { QWidget::changeEvent(event); }
void TAALabel::mouseMoveEvent(QMouseEvent *) {}
void TAALabel::mouseReleaseEvent(QMouseEvent *) {}
void TAALabel::mouseDoubleClickEvent(QMouseEvent *) {}

}  // namespace tessaly
