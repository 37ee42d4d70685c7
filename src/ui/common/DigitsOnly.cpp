#include "ui/common/DigitsOnly.h"

#include "core/stage/ResultsText.h"
#include "ui/common/MessageService.h"

#include <QLineEdit>
#include <QString>
#include <QRegularExpressionValidator>

namespace tessaly {

void setDigitsOnly(QLineEdit *edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

std::optional<int> readPerRowCount(QLineEdit *edit, MessageService &messages, QWidget *parent)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        messages.notify(parent, QStringLiteral("提示"), QStringLiteral("每行显示个数：您输入的不是数字，请输入数字"));
        return std::nullopt;
    }
    return readTypedNumber(edit, QStringLiteral("每行显示个数"), 1, kMaxResultsPerRow, messages, parent);
}

std::optional<int> readTypedNumber(QLineEdit *edit, const QString &label, int least, int most, MessageService &messages,
                                   QWidget *parent)
{
    const QString text = edit->text().trimmed();
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < least || n > most) {
        // What is typed sizes texts and pictures: a huge number would ask for gigabytes.
        messages.notify(parent, QStringLiteral("提示"),
                        text.isEmpty() ? QStringLiteral("%1不能为空。").arg(label)
                                       : QStringLiteral("%1必须是 %2 到 %3 之间的数字。").arg(label).arg(least).arg(most));
        edit->setFocus();
        edit->selectAll();
        return std::nullopt;
    }
    return n;
}

}  // namespace tessaly
