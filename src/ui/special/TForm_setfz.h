// Award grouping: which block of lines of the list an award is drawn from.
// OK stores the ranges and returns the whole draw to the pool.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tessaly {

class DrawSession;
class MessageService;

class TForm_setfz : public QDialog {
    Q_OBJECT
public:
    // `resetDraw` is called after a successful OK.
    TForm_setfz(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                std::function<void()> resetDraw, QWidget *parent = nullptr);

    QPlainTextEdit *Memo1 = nullptr;  // the participants with their line numbers
    QCheckBox *CheckBox1 = nullptr;   // canfz
    QComboBox *ComboBox1 = nullptr;   // awards
    QLineEdit *Edit1 = nullptr;       // first line
    QLineEdit *Edit2 = nullptr;       // last line
    QListWidget *ListBox1 = nullptr;  // "分组情况"

private:
    void addRange();
    void deleteRange();
    void Button1Click();

    std::filesystem::path m_programDir;
    DrawSession &m_session;
    MessageService &m_messages;
    std::function<void()> m_resetDraw;
    std::vector<std::string> m_labels;
};

}  // namespace tessaly
