// The special settings behind the access code: the predetermined winners and
// the exclusion list per award, how they come into force, the two hot keys
// and the access code itself.
#pragma once

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace tessaly {

class DrawSession;
class MessageService;
class ShortcutEdit;
class SpecialListPage;

class TForm_ndkmdset : public QDialog {
    Q_OBJECT
public:
    TForm_ndkmdset(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                   QWidget *parent = nullptr);

    QTabWidget *PageControl1 = nullptr;
    SpecialListPage *predetermined = nullptr;  // "内定设定", Read.reb
    SpecialListPage *excluded = nullptr;       // "黑名单设定", write.reb
    QCheckBox *CheckBox1 = nullptr;            // ntcanrandom
    QComboBox *ComboBox1 = nullptr;            // enabling mode
    QLineEdit *Edit1 = nullptr;                // access code
    ShortcutEdit *Edit2 = nullptr;             // sndfo
    ShortcutEdit *Edit3 = nullptr;             // sndst

private:
    QWidget *parameterPage();
    void Button1Click();  // "修改参数"

    std::filesystem::path m_programDir;
    DrawSession &m_session;
    MessageService &m_messages;
};

}  // namespace tessaly
