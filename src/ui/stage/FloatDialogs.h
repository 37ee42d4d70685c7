// The two small dialogs of the results window: winners per line, and the text
// of the result line or the separator.
#pragma once

#include <QDialog>
#include <filesystem>

namespace Ui {
class TForm_floatshowgs;
class TForm_settxt;
}

namespace tessaly {

class MessageService;

// Writes Floatrownum on OK; a count below 1 is refused.
class TForm_floatshowgs : public QDialog {
    Q_OBJECT
public:
    TForm_floatshowgs(std::filesystem::path programDir, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_floatshowgs() override;
    int perRow() const { return m_perRow; }

private:
    void Button1Click();

    Ui::TForm_floatshowgs *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    int m_perRow = 1;
};

// Edits the Caption of a section (SresultText or Sline); writes it trimmed on OK.
class TForm_settxt : public QDialog {
    Q_OBJECT
public:
    TForm_settxt(std::filesystem::path programDir, const char *section, MessageService &messages,
                 QWidget *parent = nullptr);
    ~TForm_settxt() override;
    QString text() const;

private:
    void Button1Click();

    Ui::TForm_settxt *m_ui;
    std::filesystem::path m_programDir;
    const char *m_section;
    MessageService &m_messages;
};

}  // namespace tessaly
