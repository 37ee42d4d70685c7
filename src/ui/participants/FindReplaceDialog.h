// The list editor's find and replace box: search text, replacement, whole
// word, match case and direction. The editor does the searching.
#pragma once

#include "core/participants/TextSearch.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class FindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    FindReplaceDialog(bool withReplace, QWidget *parent = nullptr);

    QString findText() const;
    void setFindText(const QString &text);
    QString replaceText() const;
    SearchOptions options() const;

    QLineEdit *findEdit, *replaceEdit;
    QCheckBox *wholeWord, *matchCase;
    QRadioButton *up, *down;

signals:
    void findNextRequested();
    void replaceRequested();
    void replaceAllRequested();

private:
    bool m_withReplace;
};

}  // namespace tessaly
