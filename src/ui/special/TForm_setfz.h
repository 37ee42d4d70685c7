// Award grouping: which block of lines of the list an award is drawn from.
// OK stores the ranges and returns the whole draw to the pool.
#pragma once

#include "ui_TForm_setfz.h"

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessaly {

class DrawSession;
class MessageService;

// The fields are the form's: Memo1 (the participants, their line numbers in
// its gutter), CheckBox1 (canfz), ComboBox1 (awards), Edit1 and Edit2 (first
// and last line), ListBox1 ("分组情况").
class TForm_setfz : public QDialog, public Ui::TForm_setfz {
    Q_OBJECT
public:
    // `resetDraw` is called after a successful OK.
    TForm_setfz(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                std::function<void()> resetDraw, QWidget *parent = nullptr);

    // False when set.dat could not be read (the operator was told): the window
    // is not shown, since its OK would replace every range by an empty list.
    bool settingsRead() const { return m_settingsRead; }

private:
    void addRange();
    void deleteRange();
    void Button1Click();

    std::filesystem::path m_programDir;
    DrawSession &m_session;
    MessageService &m_messages;
    std::function<void()> m_resetDraw;
    std::vector<std::string> m_labels;
    bool m_settingsRead = false;
};

}  // namespace tessaly
