#include "ui/common/ResultExport.h"

#include "core/files/FileIo.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"

#include <QDir>

namespace tessaly {

QString exportStartPath(const std::filesystem::path &programDir)
{
    return QDir(QString::fromStdString(programDir.string())).filePath(QStringLiteral("抽奖结果.txt"));
}

void confirmExported(QWidget *parent, MessageService &messages, const QString &file)
{
    messages.notify(parent, QStringLiteral("提示"), QStringLiteral("抽奖结果已保存到：\n%1").arg(QDir::toNativeSeparators(file)));
}

bool exportResultText(QWidget *parent, PickerService &pickers, MessageService &messages,
                      const std::filesystem::path &programDir, const QString &caption, const std::string &text)
{
    const QString file = pickers.pickSaveFileAt(parent, caption, QStringLiteral("文本文件(*.txt)"),
                                                QStringLiteral("txt"), exportStartPath(programDir));
    if (file.isEmpty())
        return false;
    if (Status written = writeFileAtomic(file.toStdString(), text); !written) {
        messages.notify(parent, QStringLiteral("提示"),
                        QStringLiteral("抽奖结果没有保存：\n%1\n\n原因：%2")
                            .arg(QDir::toNativeSeparators(file), toQt(written.error().message)),
                        MessageService::Icon::Warning);
        return false;
    }
    confirmExported(parent, messages, file);
    return true;
}

}  // namespace tessaly
