// A plain text editor with a line-number gutter on its left: the numbers are
// right-aligned in six characters and follow the text while it scrolls.
#pragma once

#include <QPlainTextEdit>

namespace tessaly {

class LineNumberEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LineNumberEdit(QWidget *parent = nullptr);

    // The lines of the text; an empty last line is not counted, as the
    // operator sees no entry there.
    int lineCount() const;
    int gutterWidth() const;
    // The number shown first in the gutter (1 for the top of the text).
    int firstVisibleNumber() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class LineNumberGutter;
    void paintGutter(QPaintEvent *event);
    void updateGutterArea(const QRect &rect, int dy);

    QWidget *m_gutter;
};

}  // namespace tessaly
