// "导入Excel": a block of cells of a spreadsheet (.xls, .xlsx or .csv) becomes
// the list editor's lines, one per sheet row, each column padded to its widest cell.
#pragma once

#include "core/participants/ListImport.h"

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class ImportRunner;
class MessageService;
class PickerService;

class TTextedit_ex : public QDialog {
    Q_OBJECT
public:
    TTextedit_ex(MessageService &messages, PickerService &pickers, QWidget *parent = nullptr);

    // The imported lines (GBK) once "开始导入" succeeded and closed the dialog.
    const std::vector<std::string> &imported() const { return m_lines; }
    // The lines holding characters GBK cannot store, as the sheet has them.
    const std::vector<OriginalLine> &original() const { return m_original; }

    void Button1Click();  // choose the file
    void Button2Click();  // check the fields and import
    void setFile(const QString &path);
    void reject() override;

    QRadioButton *RadioButton1, *RadioButton2;
    QLabel *Label1, *Label8, *Label11;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5;
    QPushButton *Button1, *Button2, *Button3;  // Button3 cancels a running import

private:
    void showFormatNote();

    MessageService &m_messages;
    PickerService &m_pickers;
    ImportRunner *m_runner;
    QString m_path;
    std::vector<std::string> m_lines;
    std::vector<OriginalLine> m_original;
};

}  // namespace tessaly
