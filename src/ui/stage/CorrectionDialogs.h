// The dialogs of the corrections during a draw: giving up winners, setting up
// a supplement, and renaming a prize. Each forwards its decision to the draw
// session and shows what comes back.
#pragma once

#include <QDialog>
#include <functional>

namespace Ui {
class TForm_giveup;
class TForm_supplement;
class TForm_prizename;
}

namespace tessaly {

class DrawSession;
struct DrawOutcome;
class MessageService;

// Shows an outcome's notices and actions; the main window's apply.
using ApplyOutcome = std::function<void(const DrawOutcome &)>;

class TForm_giveup : public QDialog {
    Q_OBJECT
public:
    TForm_giveup(DrawSession &session, ApplyOutcome apply, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_giveup() override;

private:
    void fillWinners();
    void Button1Click();

    Ui::TForm_giveup *m_ui;
    DrawSession &m_session;
    ApplyOutcome m_apply;
    MessageService &m_messages;
};

class TForm_supplement : public QDialog {
    Q_OBJECT
public:
    TForm_supplement(DrawSession &session, ApplyOutcome apply, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_supplement() override;

private:
    void updatePrizeField();
    void Button1Click();

    Ui::TForm_supplement *m_ui;
    DrawSession &m_session;
    ApplyOutcome m_apply;
    MessageService &m_messages;
};

class TForm_prizename : public QDialog {
    Q_OBJECT
public:
    TForm_prizename(DrawSession &session, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_prizename() override;

private:
    void Button1Click();

    Ui::TForm_prizename *m_ui;
    DrawSession &m_session;
    MessageService &m_messages;
};

}  // namespace tessaly
