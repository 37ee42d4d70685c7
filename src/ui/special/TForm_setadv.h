// The advanced settings window: the ready prompt, the four status templates,
// the company logo and the guest announcement of each batch. Only OK writes.
#pragma once

#include "core/special/AdvancedSettings.h"
#include "ui_TForm_setadv.h"

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly {

class MessageService;
class PickerService;

// The fields are the form's: Edit1 (ready prompt), Edit2 to Edit5 (qCaption,
// Caption, bCaption, bhCaption), Edit6 (logo), ComboBox1 ("输入法选择" of the
// six text fields), Edit7 (announcement content), CheckBox1 (bosscenter),
// ListBox1 (awards and batches), ListBox2 (announcements).
class TForm_setadv : public QDialog, public Ui::TForm_setadv {
    Q_OBJECT
public:
    TForm_setadv(std::filesystem::path programDir, MessageService &messages, PickerService &pickers,
                 QWidget *parent = nullptr);

    // False when set.dat could not be read (the operator was told): the window
    // is not shown, since its OK would blank the five texts.
    bool settingsRead() const { return m_settingsRead; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addAnnouncement();
    void changeAnnouncement();
    void deleteAnnouncement();
    void clearAnnouncements();
    void lineClicked();
    bool checkInput(const QString &noBatch);
    void chooseLogo();
    void Button1Click();

    std::filesystem::path m_programDir;
    MessageService &m_messages;
    PickerService &m_pickers;
    std::vector<BatchItem> m_batches;
    std::vector<std::string> m_deletedKeys;
    bool m_settingsRead = false;
};

}  // namespace tessaly
