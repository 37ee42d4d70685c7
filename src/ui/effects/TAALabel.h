// The effect text label of the stage: a caption rendered once with its effect
// record into a cached image, optionally on a transparent background and sized
// to its rendered text.
#pragma once

#include "ui/effects/TAAFontEffect.h"

#include <QImage>
#include <QWidget>

namespace tessaly {

struct EffectTextStyle;

class TAALabel : public QWidget {
    Q_OBJECT
public:
    explicit TAALabel(QWidget *parent = nullptr);
    explicit TAALabel(const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // The font is the widget's font (setFont); its colour is kept here.
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);

    const TAAFontEffect &effect() const { return m_effect; }
    void setEffect(const TAAFontEffect &effect);
    // Parts of the label effect the stage changes one at a time.
    const TAAEffect &fontEffect() const { return m_effect.FontEffect; }
    void setFontEffect(const TAAEffect &fontEffect);
    bool transparent() const { return m_effect.Transparent; }
    void setTransparent(bool transparent);
    TColor backColor() const { return m_effect.BackColor; }
    void setBackColor(TColor color);
    void setAlignment(TextAlignment alignment);
    void setLayout(TextLayout layout);

    // On: the label takes the size of its rendered text, effects included, plus the border.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    // Blank pixels kept around the text on every side.
    int border() const { return m_border; }
    void setBorder(int border);

    // Lines of the caption as shown are broken (at word boundaries, or between
    // Chinese characters) to stay within this many pixels; 0 keeps them whole.
    // The caption itself is unchanged.
    int wrapWidth() const { return m_wrapWidth; }
    void setWrapWidth(int width);

    // The size of the rendered text plus the border.
    QSize sizeHint() const override;
    // The caption with its effects as it is painted (transparent around the glyphs).
    QImage renderedText() const;
    // How many times the caption has been rendered; repaints from the cache leave it alone.
    int renderCount() const { return m_renderCount; }

signals:
    void mouseMoved(const QPoint &pos);
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void textChanged();
    void frameChanged();
    EffectTextStyle style() const;
    QSize textSize() const;
    const QImage &text() const;
    const QImage &frame() const;
    void applyAutoSize();
    QString shownCaption() const;

    QString m_caption;
    TColor m_fontColor = colors::clWindowText;
    TAAFontEffect m_effect;
    bool m_autoSize = true;
    int m_border = 0;
    int m_wrapWidth = 0;

    // The texture picture as loaded for the path it was loaded from.
    std::string m_texturePath;
    QImage m_texture;
    // The rendered caption, and the whole label (background and text) at its current size.
    // Its size is worked out without painting, so setting up a label renders it only once, when shown.
    mutable QSize m_textSize;
    mutable QImage m_text;
    mutable QImage m_frame;
    mutable bool m_sizeValid = false;
    mutable bool m_textValid = false;
    mutable bool m_frameValid = false;
    mutable int m_renderCount = 0;
};

}  // namespace tessaly
