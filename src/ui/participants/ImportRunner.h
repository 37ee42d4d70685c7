// Runs a list import on a thread of its own, so the window stays responsive
// (it can be moved, repainted and told to stop) while a large spreadsheet is read.
#pragma once

#include "core/participants/ListImport.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <filesystem>
#include <functional>

namespace tessaly {

// The .xls reader program: beside the executable unless set otherwise (the
// tests point at the one in the build tree).
std::filesystem::path xlsReaderPath();
void setXlsReaderPath(const std::filesystem::path &path);

// The progress line of an import: "正在扫描行：" and the row, or "正在等长补空格...".
QString importProgressText(ImportControl::Stage stage, int row);

class ImportRunner : public QObject {
    Q_OBJECT
public:
    explicit ImportRunner(QObject *parent = nullptr) : QObject(parent) {}

    // Imports while the event loop runs; progress gets each progress line on
    // the window's thread. Returns when the import ended, was refused or was cancelled.
    Result<ImportedList> run(const std::filesystem::path &path, const ImportOptions &options,
                             std::function<void(const QString &)> progress);
    void cancel() { m_cancel = true; }
    bool running() const { return m_running; }

private:
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};

}  // namespace tessaly
