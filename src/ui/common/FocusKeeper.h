// Gives the keyboard focus back to a window whenever a dialog, message box or
// other window opened over it closes, so that a key sent by a remote presenter
// reaches it again without a click.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace tessaly {

class FocusKeeper : public QObject {
public:
    // `restored` runs each time the focus came back.
    FocusKeeper(QWidget *window, std::function<void()> restored = {});
    ~FocusKeeper() override;

    // Activates the window and focuses it unless a modal box or another
    // window over it is still open.
    void restore();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    std::function<void()> m_restored;
};

}  // namespace tessaly
