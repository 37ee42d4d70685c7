// The advanced settings window: the ready prompt, the four status templates,
// the company logo and the guest announcement of each batch. Only OK writes.
#pragma once

#include "core/special/AdvancedSettings.h"

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace tessaly {

class MessageService;
class PickerService;

class TForm_setadv : public QDialog {
    Q_OBJECT
public:
    TForm_setadv(std::filesystem::path programDir, MessageService &messages, PickerService &pickers,
                 QWidget *parent = nullptr);

    QLineEdit *Edit1 = nullptr;  // ready prompt
    QLineEdit *Edit2 = nullptr;  // qCaption
    QLineEdit *Edit3 = nullptr;  // Caption
    QLineEdit *Edit4 = nullptr;  // bCaption
    QLineEdit *Edit5 = nullptr;  // bhCaption
    QLineEdit *Edit6 = nullptr;  // logo
    QLineEdit *Edit7 = nullptr;  // announcement content
    QCheckBox *CheckBox1 = nullptr;  // bosscenter
    QListWidget *ListBox1 = nullptr;  // awards and batches
    QListWidget *ListBox2 = nullptr;  // announcements

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
};

}  // namespace tessaly
