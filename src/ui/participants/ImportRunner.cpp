#include "ui/participants/ImportRunner.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <optional>
#include <thread>

namespace tessaly {
namespace {

std::filesystem::path &readerPath()
{
    static std::filesystem::path path;
    return path;
}

}  // namespace

std::filesystem::path xlsReaderPath()
{
    if (!readerPath().empty())
        return readerPath();
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / kXlsReaderProgram;
}

void setXlsReaderPath(const std::filesystem::path &path)
{
    readerPath() = path;
}

QString importProgressText(ImportControl::Stage stage, int row)
{
    if (stage == ImportControl::Stage::Padding)
        return QStringLiteral("正在等长补空格...");
    return QStringLiteral("正在扫描行：%1").arg(row);
}

Result<ImportedList> ImportRunner::run(const std::filesystem::path &path, const ImportOptions &options,
                                       std::function<void(const QString &)> progress)
{
    m_cancel = false;
    m_running = true;
    ImportControl control;
    control.xlsReader = xlsReaderPath();
    control.cancel = &m_cancel;
    control.progress = [this, progress](ImportControl::Stage stage, int row) {
        // Lines still queued when the import has ended are dropped.
        QMetaObject::invokeMethod(
            this, [this, progress, stage, row] {
                if (m_running && progress)
                    progress(importProgressText(stage, row));
            },
            Qt::QueuedConnection);
    };
    std::optional<Result<ImportedList>> result;
    QEventLoop loop;
    std::thread worker([&] {
        result.emplace(importListFile(path, options, control));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    m_running = false;
    return std::move(*result);
}

}  // namespace tessaly
