// The guests' numbers of the award about to begin, typed one by one; each
// shows large on the stage at once, so the hall sees who typed what.
#pragma once

#include "ui/common/StageOverlay.h"

#include <QDialog>
#include <QLabel>

#include <functional>

class QLineEdit;
class QListWidget;

namespace tessaly {

class DrawSession;
struct DrawOutcome;

class GuestNumbersDialog : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<void(const DrawOutcome &)>;
    GuestNumbersDialog(DrawSession &session, Apply apply, QWidget *parent);

    // Opens the award's guest step; false (the step refused) leaves the dialog unshown.
    bool openStep();

private:
    void addNumber();
    void refresh();

    DrawSession &m_session;
    Apply m_apply;
    QLineEdit *m_edit = nullptr;
    QListWidget *m_list = nullptr;
};

// The numbers typed so far, large across the stage, grown with it by `scale`
// and kept clear of its captions and buttons.
class GuestNumbersBanner : public QLabel {
    Q_OBJECT
public:
    GuestNumbersBanner(QWidget *stage, std::function<double()> scale);
    void showNumbers(const QString &numbers);

private:
    void place();

    StageOverlay *m_overlay;
};

}  // namespace tessaly
