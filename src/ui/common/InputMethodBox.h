// The input-method chooser of the list editor and the settings windows: the
// input method frameworks this desktop offers, and an item that turns input
// methods off for the fields it serves.
#pragma once

#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QStringList>

namespace tessaly {

class InputMethodBox : public QComboBox {
    Q_OBJECT
public:
    explicit InputMethodBox(QWidget *parent = nullptr);

    // The frameworks found on this machine (fcitx 5, fcitx, IBus), the one in
    // use marked "(正在使用)".
    static QStringList installedInputMethods();
    // Whether the frameworks were found; without any the first item is the desktop's own.
    bool foundFrameworks() const { return m_found; }
    // The last item: typed keys go straight into the field.
    bool offChosen() const { return currentIndex() == count() - 1; }

    // Shows what `field` uses now (off, or the first item).
    void showCurrent(const QWidget *field);
    // Gives the chosen input method to each field.
    void applyTo(const QList<QWidget *> &fields) const;
    // Fields that receive the choice whenever the operator leaves the list or
    // picks an item in it.
    void serveOnLeaving(const QList<QWidget *> &fields);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void applyToServed() const;

    bool m_found = false;
    QList<QPointer<QWidget>> m_served;
};

}  // namespace tessaly
