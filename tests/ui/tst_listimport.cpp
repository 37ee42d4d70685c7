// The spreadsheet import as the operator meets it: "导入Excel" in the list
// editor and `tessaly import` give the same lines for every fixture, an import
// that reads nothing is refused, and a running import can be cancelled.
#include "support/TestServices.h"
#include "ui/participants/ImportRunner.h"
#include "ui/participants/TTextedit_ex.h"

#include "../core/FormatFixtures.h"
#include "../core/SheetFixtures.h"

#include "core/text/Gbk.h"
#include "core/text/Lines.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace tessaly;

namespace {

std::string readAll(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The dialog filled in as the operator would, then "开始导入".
struct ExcelDialog {
    explicit ExcelDialog(const std::filesystem::path &file, int endRow, int endColumn)
        : dialog(s.messages, s.pickers)
    {
        dialog.setFile(QString::fromStdString(file.string()));
        dialog.Edit3->setText(QString::number(endRow));
        dialog.Edit4->setText(QString::number(endColumn));
    }
    test::TestServices s;
    TTextedit_ex dialog;
};

}  // namespace

class TestListImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { setXlsReaderPath(TESSALY_XLS_READER); }

    // One table: every fixture through the dialog and through the command line.
    void theEditorAndTheCommandGiveTheSameLines()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        auto files = test::writeFormatFixtures(dir);
        QCOMPARE(files.size(), size_t{4});
        files.emplace_back("xls with several columns", std::filesystem::path(TESSALY_SOURCE_DIR) / "tests/data/list-import.xls");
        const int rows = static_cast<int>(test::formatCells().size()) + 1;
        for (size_t f = 0; f < files.size(); ++f) {
            const auto &[kind, file] = files[f];
            const int columns = kind.starts_with("xls with") ? 4 : 1;
            ExcelDialog editor(file, rows, columns);
            editor.dialog.Button2Click();
            QVERIFY2(editor.dialog.result() == QDialog::Accepted, kind.c_str());
            const std::vector<std::string> &fromEditor = editor.dialog.imported();

            const std::filesystem::path event = dir / ("event-" + std::to_string(f));
            std::filesystem::copy(TESSALY_DIST_DIR, event, std::filesystem::copy_options::recursive);
            QProcess command;
            command.start(QStringLiteral(TESSALY_EXECUTABLE),
                          {QStringLiteral("import"), QString::fromStdString(file.string()), QString::fromStdString(event.string()),
                           QStringLiteral("--rows"), QStringLiteral("2-%1").arg(rows), QStringLiteral("--cols"),
                           QStringLiteral("1-%1").arg(columns), QStringLiteral("--sep"), QStringLiteral("  ")});
            QVERIFY(command.waitForFinished(30000));
            QVERIFY2(command.exitCode() == 0, (kind + ": " + command.readAllStandardError().toStdString()).c_str());
            const std::vector<std::string> fromCommand = splitLines(readAll(event / "data.txt"));
            QVERIFY2(fromEditor == fromCommand, kind.c_str());
            if (columns == 1)
                for (size_t i = 0; i < test::formatCells().size(); ++i)
                    QCOMPARE(QString::fromStdString(gbkToUtf8(trimBlanks(fromEditor[i]))),
                             QString::fromStdString(test::formatCells()[i].shown));
        }
    }

    void anImportThatReadsNothingIsRefusedAndChangesNothing()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        auto files = test::writeFormatFixtures(dir);
        QCOMPARE(files.size(), size_t{4});
        for (const auto &[kind, file] : files) {
            ExcelDialog editor(file, 300, 1);
            editor.dialog.Edit1->setText(QStringLiteral("200"));  // below the last row
            editor.dialog.Button2Click();
            QVERIFY2(editor.dialog.result() != QDialog::Accepted, kind.c_str());
            QVERIFY(editor.dialog.imported().empty());
            QCOMPARE(editor.s.messages.shown.size(), 1);
            QVERIFY(editor.s.messages.shown[0].text.contains(QStringLiteral("名单没有改动")));
            QVERIFY(editor.dialog.Button2->isEnabled());
        }
    }

    // The dialog keeps answering while it reads: its cancel button stops the
    // import, and the dialog stays open with nothing imported.
    void aRunningImportShowsProgressAndCanBeCancelled()
    {
        QTemporaryDir tmp;
        const std::filesystem::path file = std::filesystem::path(tmp.path().toStdString()) / "many.xlsx";
        QVERIFY(test::writeNamesXlsx(file, 60000));
        ExcelDialog editor(file, 60001, 3);
        editor.dialog.show();
        bool clicked = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (!clicked && editor.dialog.Button3->isVisible()) {
                clicked = true;
                QTest::mouseClick(editor.dialog.Button3, Qt::LeftButton);
            }
        });
        watch.start(1);
        editor.dialog.Button2Click();
        watch.stop();
        QVERIFY(clicked);
        QVERIFY(editor.dialog.result() != QDialog::Accepted);
        QVERIFY(editor.dialog.imported().empty());
        QVERIFY(editor.s.messages.shown.isEmpty());
        QVERIFY(!editor.dialog.Button3->isVisible());
        QVERIFY(editor.dialog.Button2->isEnabled());

        // Without a cancel the rows arrive whole, the progress lines shown on the way.
        ImportRunner runner;
        QStringList progress;
        auto r = runner.run(file, {ImportOptions::Kind::Spreadsheet, {2, 1, 60001, 3, " "}},
                            [&](const QString &line) { progress << line; });
        QVERIFY(r.ok());
        QCOMPARE(r->lines.size(), size_t{60000});
        QVERIFY(progress.size() > 100);  // every few hundred rows
        QVERIFY(progress.front().startsWith(QStringLiteral("正在扫描行：")));
        QCOMPARE(progress.back(), QStringLiteral("正在等长补空格..."));
    }
};

QTEST_MAIN(TestListImport)
#include "tst_listimport.moc"
