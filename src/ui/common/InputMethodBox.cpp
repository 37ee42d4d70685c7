#include "ui/common/InputMethodBox.h"

#include <QFocusEvent>
#include <QStandardPaths>

namespace tessaly {

InputMethodBox::InputMethodBox(QWidget *parent) : QComboBox(parent)
{
    const QStringList methods = installedInputMethods();
    m_found = !methods.isEmpty();
    // Without a framework we can name, the desktop's own method is still a
    // choice: the list must never offer nothing but turning input off.
    addItems(m_found ? methods : QStringList{QStringLiteral("桌面默认输入法")});
    addItem(QStringLiteral("关闭输入法(直接输入英文和数字)"));
    connect(this, &QComboBox::activated, this, [this] { applyToServed(); });
}

QStringList InputMethodBox::installedInputMethods()
{
    QStringList found;
    const QString running = qEnvironmentVariable("QT_IM_MODULE");
    struct Framework {
        const char *name, *program, *module;
    };
    static const Framework kFrameworks[] = {
        {"Fcitx 5", "fcitx5", "fcitx"}, {"Fcitx", "fcitx", "fcitx"}, {"IBus", "ibus-daemon", "ibus"}};
    for (const auto &f : kFrameworks) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(f.program)).isEmpty())
            continue;
        QString name = QString::fromLatin1(f.name);
        if (running == QLatin1String(f.module))
            name += QStringLiteral(" (正在使用)");
        found << name;
    }
    return found;
}

void InputMethodBox::showCurrent(const QWidget *field)
{
    setCurrentIndex(field && !field->testAttribute(Qt::WA_InputMethodEnabled) ? count() - 1 : 0);
}

void InputMethodBox::applyTo(const QList<QWidget *> &fields) const
{
    // The framework itself is the desktop's choice; per field we can only let
    // it in or keep it out.
    const bool on = !offChosen();
    for (QWidget *field : fields)
        if (field)
            field->setAttribute(Qt::WA_InputMethodEnabled, on);
}

void InputMethodBox::serveOnLeaving(const QList<QWidget *> &fields)
{
    m_served.clear();
    for (QWidget *field : fields)
        m_served << field;
    if (!fields.isEmpty())
        showCurrent(fields.front());
}

void InputMethodBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    // Opening the list's own popup is not leaving it.
    if (event->reason() != Qt::PopupFocusReason)
        applyToServed();
}

void InputMethodBox::applyToServed() const
{
    QList<QWidget *> fields;
    for (const auto &field : m_served)
        fields << field.data();
    applyTo(fields);
}

}  // namespace tessaly
