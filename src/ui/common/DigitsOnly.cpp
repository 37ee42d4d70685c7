#include "ui/common/DigitsOnly.h"

#include "core/stage/ResultsText.h"
#include "ui/common/MessageService.h"

#include <QLineEdit>
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
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > kMaxResultsPerRow) {
        // Each row is built as text: a huge count would ask for gigabytes.
        messages.notify(parent, QStringLiteral("提示"),
                        QStringLiteral("每行显示个数必须是 1 到 %1 之间的数字。").arg(kMaxResultsPerRow));
        edit->setFocus();
        edit->selectAll();
        return std::nullopt;
    }
    return n;
}

}  // namespace tessaly
