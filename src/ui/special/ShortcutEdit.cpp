#include "ui/special/ShortcutEdit.h"

#include "ui/common/VirtualKeys.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace tessaly {

ShortcutEdit::ShortcutEdit(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
}

void ShortcutEdit::setCode(int code)
{
    m_code = code;
    setText(describe(code));
}

QString ShortcutEdit::describe(int code)
{
    QString text;
    if (code & 16384)
        text += QStringLiteral("Ctrl+");
    if (code & 8192)
        text += QStringLiteral("Shift+");
    if (code & 32768)
        text += QStringLiteral("Alt+");
    const int vk = code & 8191;
    const int key = qtKeyFromVirtualKey(vk);
    text += key ? QKeySequence(key).toString(QKeySequence::PortableText) : QString::number(vk);
    return text;
}

void ShortcutEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    if (const int code = shortcutCode(*event); virtualKeyFromQt(event->key()) != 0)
        setCode(code);
    event->accept();
}

}  // namespace tessaly
