#include "ui/common/MessageService.h"

#include <QMessageBox>

namespace tessaly {

void QtMessageService::notify(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    switch (icon) {
    case Icon::Information:
        QMessageBox::information(parent, title, text);
        break;
    case Icon::Warning:
        QMessageBox::warning(parent, title, text);
        break;
    case Icon::Critical:
        QMessageBox::critical(parent, title, text);
        break;
    }
}

bool QtMessageService::ask(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

MessageService::Answer QtMessageService::askYesNoCancel(QWidget *parent, const QString &title, const QString &text)
{
    switch (QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

}  // namespace tessaly
