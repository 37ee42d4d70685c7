// The console's check-in panel and the settings page "现场互动": a check-in at
// the desk is counted and undone, the export writes the list, and the page
// keeps its choices in set.dat [Web] and never serves in a rehearsal.
#include "support/StageFixture.h"

#include "core/checkin/WebSettings.h"
#include "core/settings/IniStore.h"
#include "ui/hall/HallPanel.h"
#include "ui/hall/HallService.h"
#include "ui/hall/TForm_hall.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;

namespace {
const std::string kAward = "scrolldown=0\r\nLucks=1\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n";
}

class TestHallPanel : public QObject {
    Q_OBJECT
private slots:
    void aCheckInAtTheDeskIsCountedUndoneAndExported()
    {
        test::StageFixture st(kAward, 12);
        auto opened = HallService::open(st.window->control(), st.dir, WebSettings{});
        QVERIFY(opened);
        HallPanel panel(**opened, st.s.messages, st.s.pickers, {});
        QCOMPARE(panel.count()->text(), QStringLiteral("已签到 0 / 12"));
        panel.search()->setText(QStringLiteral("P1"));  // P1, P10, P11
        QCOMPARE(panel.results()->count(), 3);
        panel.checkInSelected(false);
        QCOMPARE(panel.count()->text(), QStringLiteral("已签到 1 / 12"));
        QVERIFY(panel.results()->item(0)->text().contains(QStringLiteral("已签到")));
        // The search finds a person by the code on the card too.
        const std::string code = (*opened)->codes().codeOf({"P10", 1});
        panel.search()->setText(QString::fromStdString(code).toLower());
        QCOMPARE(panel.results()->count(), 1);

        panel.search()->setText(QStringLiteral("P1"));
        st.s.messages.setNextAnswer(true);
        panel.checkInSelected(true);
        QCOMPARE(panel.count()->text(), QStringLiteral("已签到 0 / 12"));

        panel.search()->setText(QStringLiteral("P3"));
        panel.checkInSelected(false);
        const QString out = QString::fromStdString((st.dir / "签到.xlsx").string());
        st.s.pickers.setNextFile(out);
        panel.exportCheckIns();
        QVERIFY(QFileInfo(out).size() > 0);
    }

    void theSettingsPageKeepsItsChoicesAndARehearsalNeverServes()
    {
        test::StageFixture st(kAward, 12);
        {
            TForm_hall page(st.dir, false, st.s.messages);
            page.ui().CheckBox1->setChecked(true);
            page.ui().ComboBox1->addItem(QStringLiteral("127.0.0.1"));
            page.ui().ComboBox1->setCurrentIndex(page.ui().ComboBox1->findText(QStringLiteral("127.0.0.1")));
            page.ui().Edit1->setText(QStringLiteral("18080"));
            page.ui().CheckBox2->setChecked(true);
            page.ui().CheckBox3->setChecked(false);
            page.ui().Button1->click();
            QCOMPARE(page.result(), int(QDialog::Accepted));
        }
        WebSettings web = readWebSettings(*IniStore::open(st.dir / "set.dat"));
        QVERIFY(web.enabled);
        QCOMPARE(web.address, std::string("127.0.0.1"));
        QCOMPARE(web.port, 18080);
        QVERIFY(web.onlyCheckedIn);
        QVERIFY(!web.hallCode);

        // A port out of range is refused by name; nothing is written.
        {
            TForm_hall page(st.dir, false, st.s.messages);
            page.ui().Edit1->setText(QStringLiteral("70000"));
            page.ui().Button1->click();
            QVERIFY(page.result() != int(QDialog::Accepted));
        }
        // In a rehearsal the switch cannot be turned on, and the stored one stays.
        TForm_hall rehearsal(st.dir, true, st.s.messages);
        QVERIFY(!rehearsal.ui().CheckBox1->isEnabled());
        rehearsal.ui().Button1->click();
        QVERIFY(readWebSettings(*IniStore::open(st.dir / "set.dat")).enabled);
    }
};

QTEST_MAIN(TestHallPanel)
#include "tst_hallpanel.moc"
