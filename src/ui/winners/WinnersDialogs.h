// The winners-per-row dialog of the winners window's text view (the photo
// grid is arranged with photo mode's layout dialog).
#pragma once

#include <QDialog>

namespace Ui {
class TForm_float2showgs;
class TForm_float2autopage;
}

namespace tessaly {

class MessageService;

// Asks for the winners per row of an award, starting at the stored count. A
// blank count or one outside 1 to 100 is refused; the window stores the
// accepted one with the block's font and position.
class TForm_float2showgs : public QDialog {
    Q_OBJECT
public:
    TForm_float2showgs(int current, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_float2showgs() override;
    int perRow() const { return m_perRow; }

private:
    void Button1Click();

    Ui::TForm_float2showgs *m_ui;
    MessageService &m_messages;
    int m_perRow = 0;
};

// Asks how many seconds automatic paging shows each page, starting at the
// stored period; a blank or out-of-range number is refused with a message.
class TForm_float2autopage : public QDialog {
    Q_OBJECT
public:
    TForm_float2autopage(int current, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_float2autopage() override;
    int seconds() const { return m_seconds; }

private:
    void Button1Click();

    Ui::TForm_float2autopage *m_ui;
    MessageService &m_messages;
    int m_seconds = 0;
};

}  // namespace tessaly
