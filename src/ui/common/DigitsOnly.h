// Number fields of the dialogs take only the digits 0 to 9 (Backspace and Enter still work).
#pragma once

class QLineEdit;

namespace tessaly {

void setDigitsOnly(QLineEdit *edit);

}  // namespace tessaly
