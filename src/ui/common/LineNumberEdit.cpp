#include "ui/common/LineNumberEdit.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>

namespace tessaly {

class LineNumberGutter : public QWidget {
public:
    explicit LineNumberGutter(LineNumberEdit *edit) : QWidget(edit), m_edit(edit) {}
    QSize sizeHint() const override { return {m_edit->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { m_edit->paintGutter(event); }

private:
    LineNumberEdit *m_edit;
};

LineNumberEdit::LineNumberEdit(QWidget *parent) : QPlainTextEdit(parent), m_gutter(new LineNumberGutter(this))
{
    m_gutter->setObjectName(QStringLiteral("memo2"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setViewportMargins(gutterWidth(), 0, 0, 0);
    connect(this, &QPlainTextEdit::updateRequest, this, &LineNumberEdit::updateGutterArea);
}

int LineNumberEdit::lineCount() const
{
    int n = blockCount();
    if (n > 0 && document()->lastBlock().text().isEmpty())
        --n;
    return n;
}

int LineNumberEdit::gutterWidth() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("999999")) + 8;
}

int LineNumberEdit::firstVisibleNumber() const
{
    return firstVisibleBlock().blockNumber() + 1;
}

void LineNumberEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    QRect cr = contentsRect();
    m_gutter->setGeometry(QRect(cr.left(), cr.top(), gutterWidth(), cr.height()));
}

void LineNumberEdit::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setViewportMargins(gutterWidth(), 0, 0, 0);
        QRect cr = contentsRect();
        m_gutter->setGeometry(QRect(cr.left(), cr.top(), gutterWidth(), cr.height()));
    }
}

void LineNumberEdit::updateGutterArea(const QRect &rect, int dy)
{
    if (dy)
        m_gutter->scroll(0, dy);
    else
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
}

void LineNumberEdit::paintGutter(QPaintEvent *event)
{
    QPainter painter(m_gutter);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    const int width = m_gutter->width() - 4;
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top())
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1).rightJustified(6, QLatin1Char(' ')));
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
}

}  // namespace tessaly
