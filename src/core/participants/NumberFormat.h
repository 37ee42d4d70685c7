// Numbers of spreadsheet cells as a spreadsheet program in a Chinese locale
// shows them through the cell's number format: zero padding, thousands
// separators, fixed decimals, percent, exponents, literal text, dates with
// Chinese weekdays. Both readers (.xlsx and .xls) use it, so one cell gives
// one text whichever format the file is in.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// A number as a cell of general format shows it, every digit kept and never in
// exponent form: 12 not 12.0, long ticket numbers in full.
std::string formatGeneralNumber(double value);

// A date serial (days since 1899-12-30) shown through a date format code.
std::string formatDateSerial(double serial, std::string_view formatCode);

// A number shown through a whole format code (up to four sections: positive;
// negative; zero; text). An empty code or "General" is the general format.
// date1904: the workbook counts its dates from 1904-01-01.
std::string formatCellNumber(double value, std::string_view formatCode, bool date1904 = false);

// A text cell through its format's text section ("@" stands for the text);
// the text as it is when the code has none.
std::string formatCellText(std::string_view text, std::string_view formatCode);

// True when the code shows numbers as dates or times.
bool isDateFormat(std::string_view formatCode);

// The code of a built-in number format, as a Chinese-locale spreadsheet shows
// it; empty for General and for numbers that are not built in.
std::string_view builtInFormatCode(int id);

// The serial of an ISO 8601 date or date-time ("2025-03-05", "2025-03-05T08:30:00",
// "08:30:00"); false when the text is none.
bool isoDateToSerial(std::string_view iso, double &serial);

}  // namespace tessaly
