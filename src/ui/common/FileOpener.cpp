#include "ui/common/FileOpener.h"

#include "ui/common/MessageService.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace tessaly {

DesktopFileOpener::DesktopFileOpener(MessageService &messages, QString opener)
    : m_messages(messages), m_opener(std::move(opener))
{
}

QString DesktopFileOpener::reasonForExitCode(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("文件不存在或无法读取。");
    case 3:
        return QStringLiteral("系统中没有可以打开此类文件的程序。请安装相应的程序（如文本编辑器或网页浏览器）。");
    case 4:
        return QStringLiteral("打开此文件的程序未能启动。");
    default:
        return QStringLiteral("打开文件的程序出错（返回值 %1）。").arg(code);
    }
}

void DesktopFileOpener::report(const QString &path, const QString &reason)
{
    m_messages.notify(QApplication::activeWindow(), QStringLiteral("提示"),
                      QStringLiteral("无法打开文件：\n%1\n\n原因：%2").arg(QDir::toNativeSeparators(path), reason),
                      MessageService::Icon::Warning);
}

bool DesktopFileOpener::open(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        report(path, QStringLiteral("文件不存在。"));
        return false;
    }
    // The opener runs on its own: the stage never waits for a viewer. It has
    // no parent, so closing the program leaves an open viewer running.
    auto *process = new QProcess;
    process->setProgram(m_opener);
    process->setArguments({path});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, [this, process, path](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit)
            report(path, QStringLiteral("打开文件的程序意外退出。"));
        else if (code != 0)
            report(path, reasonForExitCode(code));
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [this, process, path](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        report(path, QStringLiteral("找不到打开文件所需的程序 %1。请安装 xdg-utils。").arg(m_opener));
        process->deleteLater();
    });
    process->start();
    return true;
}

}  // namespace tessaly
