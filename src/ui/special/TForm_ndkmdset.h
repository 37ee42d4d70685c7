// The special settings behind the access code: the predetermined winners and
// the exclusion list per award, how they come into force, the two hot keys
// and the access code itself.
#pragma once

#include "ui_TForm_ndkmdset.h"

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

class DrawSession;
class MessageService;

// The fields are the form's: PageControl1 with the pages predetermined
// ("内定设定", Read.reb) and excluded ("黑名单设定", write.reb), CheckBox1
// (ntcanrandom), ComboBox1 (enabling mode), Edit1 (access code), Edit2
// (sndfo) and Edit3 (sndst).
class TForm_ndkmdset : public QDialog, public Ui::TForm_ndkmdset {
    Q_OBJECT
public:
    TForm_ndkmdset(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                   QWidget *parent = nullptr);

private:
    void Button1Click();  // "修改参数"
    void CheckBox1Click(bool on);

    std::filesystem::path m_programDir;
    DrawSession &m_session;
    MessageService &m_messages;
};

}  // namespace tessaly
