// Exporting result text to a file the operator chooses: the save picker opens
// in the event's own folder (the program folder) with the name "抽奖结果.txt",
// and the operator is told where the file went, or why it did not.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

class QWidget;

namespace tessaly {

class MessageService;
class PickerService;

// Where every export picker opens: the program folder and "抽奖结果.txt".
QString exportStartPath(const std::filesystem::path &programDir);
// Tells the operator where an export went.
void confirmExported(QWidget *parent, MessageService &messages, const QString &file);

// True when the text (GBK bytes, written as they are) was saved.
bool exportResultText(QWidget *parent, PickerService &pickers, MessageService &messages,
                      const std::filesystem::path &programDir, const QString &caption, const std::string &text);

}  // namespace tessaly
