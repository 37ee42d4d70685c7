// The list editor's small dialogs: the ticket-number generator, the
// equal-length padding and the input method chooser. Each works on the lines
// the editor gives it and hands back the result; the editor puts it in place.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tessaly {

class InputMethodBox;
class MessageService;

// "生成号码": appends a run of ticket numbers.
class Ttextedit_bh1 : public QDialog {
    Q_OBJECT
public:
    Ttextedit_bh1(MessageService &messages, QWidget *parent = nullptr);

    // The generated lines, GBK, after "生成(&D)" closed the dialog.
    const std::vector<std::string> &generated() const { return m_lines; }
    void Button1Click();

    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4;
    QCheckBox *CheckBox1, *CheckBox2;
    QCheckBox *CheckBox_digits[10];
    QLabel *Label5, *Label6;
    QPushButton *Button1;

private:
    MessageService &m_messages;
    std::vector<std::string> m_lines;
};

// "名单转长度相等(补空格)": pads every line to the longest.
class Ttextedit_dcf : public QDialog {
    Q_OBJECT
public:
    Ttextedit_dcf(std::vector<std::string> lines, QWidget *parent = nullptr);

    // The padded lines after "确定"; padded() says whether any line got blanks.
    const std::vector<std::string> &result() const { return m_lines; }
    bool padded() const { return m_padded; }
    void Button1Click();

    QRadioButton *RadioButton[6];
    QLineEdit *Edit1, *Edit2, *Edit3;

private:
    std::vector<std::string> m_lines;
    bool m_padded = false;
};

// "选择输入法": the input method frameworks the desktop offers, applied to one edit area.
class TForm_ime : public QDialog {
    Q_OBJECT
public:
    TForm_ime(QWidget *target, QWidget *parent = nullptr);

    void Button1Click();

    InputMethodBox *ComboBox1;
    QLabel *Label2;

private:
    QWidget *m_target;
};

}  // namespace tessaly
