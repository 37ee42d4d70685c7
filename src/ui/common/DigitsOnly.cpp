#include "ui/common/DigitsOnly.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace tessaly {

void setDigitsOnly(QLineEdit *edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

}  // namespace tessaly
