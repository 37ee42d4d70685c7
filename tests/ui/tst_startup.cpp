// The stage window starts offscreen in a temporary program folder and loads
// the settings, the awards and the participant list.
#include "support/ScriptedMessages.h"
#include "ui/stage/TFrmMain.h"

#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

using namespace tessaly;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void loadsTheShippedFolder()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        test::ScriptedMessages messages;
        TFrmMain window(dir, messages);
        window.show();
        window.loadProgramFiles();
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(window.gradeConfig().awards.AwardCount >= 4);
        QVERIFY(window.participants().size() >= 200);
        QCOMPARE(window.windowTitle(), QStringLiteral("Tessaly抽奖软件 V3.55"));
    }

    void aBrokenAwardIsReportedAndTheWindowStays()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary) << "[Option]\r\nLucks=1\r\n[Grade]\r\n0=A|x|1|1|P|\r\n";
        std::ofstream(dir / "data.txt", std::ios::binary) << "a\r\n";
        std::ofstream(dir / "ARecord.dat", std::ios::binary) << "";
        test::ScriptedMessages messages;
        TFrmMain window(dir, messages);
        window.loadProgramFiles();
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, QStringLiteral("提示"));
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("x")));
        QCOMPARE(window.participants().size(), size_t(1));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
