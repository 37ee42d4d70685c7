// Number fields of the dialogs take only the digits 0 to 9 (Backspace and Enter still work).
#pragma once

#include <optional>

class QString;

class QLineEdit;
class QWidget;

namespace tessaly {

void setDigitsOnly(QLineEdit *edit);

class MessageService;

// A number typed into a field named `label`, from `least` to `most`, or
// nothing after telling the operator which field is wrong and why.
std::optional<int> readTypedNumber(QLineEdit *edit, const QString &label, int least, int most, MessageService &messages,
                                   QWidget *parent);

// The winners-per-row count of a results dialog: a number from 1 to the most
// a row holds, or nothing after telling the operator what is wrong.
std::optional<int> readPerRowCount(QLineEdit *edit, MessageService &messages, QWidget *parent);

}  // namespace tessaly
