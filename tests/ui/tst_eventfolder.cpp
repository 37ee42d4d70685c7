// The pre-event check window on the stage and the rehearsal mark.
#include "ui/event/CheckWindow.h"
#include "ui/event/RehearsalBadge.h"

#include "core/event/PreEventCheck.h"

#include <QLabel>

#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace tessaly;

class TestEventFolder : public QObject {
    Q_OBJECT
private slots:
    void checkWindowListsFindingsAndChecksAgainAfterAFix()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        std::ofstream(dir / "tmda.jpg", std::ios::binary) << "5\r\n99999\r\n";

        CheckWindow window(dir);
        auto blocking = [&] {
            int n = 0;
            for (int i = 0; i < window.findings()->count(); ++i)
                n += window.findings()->item(i)->data(Qt::UserRole).toInt() == int(CheckFinding::Level::Blocking);
            return n;
        };
        QVERIFY(window.findings()->count() > 3);
        QCOMPARE(blocking(), 1);
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("LabelSummary"))->text().contains(QStringLiteral("必须先解决")));

        std::ofstream(dir / "tmda.jpg", std::ios::binary | std::ios::trunc);
        window.recheck();
        QCOMPARE(blocking(), 0);
    }

    void rehearsalMarkStaysInTheTopRightCorner()
    {
        QWidget stage;
        stage.resize(1024, 768);
        auto *badge = new RehearsalBadge(&stage);
        stage.show();
        QCOMPARE(badge->text(), QStringLiteral("彩排"));
        QVERIFY(badge->geometry().right() <= 1024 && badge->geometry().right() > 1000);
        stage.resize(1920, 1080);
        QCoreApplication::processEvents();
        QVERIFY(badge->geometry().right() > 1890 && badge->geometry().right() <= 1920);
        QVERIFY(badge->height() < 40);
    }
};

QTEST_MAIN(TestEventFolder)
#include "tst_eventfolder.moc"
