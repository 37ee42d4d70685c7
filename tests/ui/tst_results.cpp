// The results window composed from real winners, its keys and its two small
// dialogs, checked on screen and in set.dat.
#include "support/TestServices.h"
#include "ui/stage/FloatDialogs.h"
#include "ui/stage/TFrmFloat.h"

#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TSkyScrollText.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace tessaly;

namespace {

struct Results {
    explicit Results(const std::string &options)
    {
        dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary)
            << utf8ToGbk("[Option]\r\n" + options + "[SresultText]\r\nCaption=<日期> 抽奖结果\r\n");
        awards[0] = LGrade{utf8ToGbk("一等奖"), 1, "2", 2, utf8ToGbk("电视"), ""};
        awards[1] = LGrade{utf8ToGbk("二等奖"), 1, "3", 3, "", ""};
        awards.AwardCount = 2;
        winners[0] = {utf8ToGbk("张三"), utf8ToGbk("李小四")};
        winners[1] = {utf8ToGbk("王五"), utf8ToGbk("赵六"), utf8ToGbk("钱七")};
        window = std::make_unique<TFrmFloat>(dir, TFrmFloat::Services{s.messages, s.pickers}, QSize(1024, 768),
                                             TFrmFloat::Results{awards, WinnerLists(winners.data(), 50), true});
        window->show();
        window->ShowResultsWindow();
    }
    std::string option(const char *key) { return openSettings(dir)->readString("Option", key); }

    QTemporaryDir tmp;
    std::filesystem::path dir;
    test::TestServices s;
    AwardTable awards;
    std::array<std::vector<std::string>, 50> winners;
    std::unique_ptr<TFrmFloat> window;
};

}  // namespace

class TestResults : public QObject {
    Q_OBJECT
private slots:
    void thePlainScrollerListsEveryAward()
    {
        Results r("Floatrownum=2\r\n");
        QCOMPARE(r.window->displayMode(), 2);
        QVERIFY(r.window->SkyScrollText1->isVisible());
        QVERIFY(!r.window->SScrollText->isVisible());
        const QStringList lines = r.window->SkyScrollText1->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 4), (QStringList{QStringLiteral("一等奖(2名)"), QStringLiteral("(电视)"),
                                               QStringLiteral("张三    李小四"), QStringLiteral("  ")}));
        QCOMPARE(lines[5], QStringLiteral("王五    赵六  "));  // winners padded to the longest
        QCOMPARE(lines[6], QStringLiteral("钱七          "));  // the partial line lines up under full ones
        const QDate today = QDate::currentDate();
        QCOMPARE(r.window->SresultText->caption(),
                 QStringLiteral("%1/%2/%3 抽奖结果").arg(today.year()).arg(today.month()).arg(today.day()));
        // The first showing on this screen lays the window out and stores the screen.
        QCOMPARE(r.option("screensec"), std::string("1024*768"));
    }

    void theEffectScrollerTakesTheLinesInModeOne()
    {
        Results r("showSScrollText=1\r\n");
        QCOMPARE(r.window->displayMode(), 1);
        QVERIFY(r.window->SScrollText->isVisible());
        QCOMPARE(r.window->SScrollText->lines().first(), QStringLiteral("一等奖(2名)"));
        QCOMPARE(r.window->SScrollText->width(), r.window->results().blockWidth);
    }

    void keysToggleScrollingAndClose()
    {
        Results r("");
        QVERIFY(r.window->SkyScrollText1->active());
        QTest::keyClick(r.window.get(), Qt::Key_G, Qt::NoModifier);
        QVERIFY(!r.window->SkyScrollText1->active());
        r.window->toggleAdjustMode();
        QTest::keyClick(r.window.get(), Qt::Key_Escape);  // ends adjustment mode first
        QVERIFY(!r.window->adjustMode());
        QVERIFY(r.window->isVisible());
        QTest::keyClick(r.window.get(), Qt::Key_Escape);
        QVERIFY(!r.window->isVisible());
        QCOMPARE(r.option("ScrollTextActive"), std::string("0"));  // the toggle was saved on closing
    }

    void winnersPerLineRefusesEmptyAndZero()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        test::ScriptedMessages messages;
        TForm_floatshowgs dialog(dir, messages);
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("Button1"));
        for (const char *text : {"", "0"}) {
            edit->setText(QString::fromLatin1(text));
            ok->click();
            QVERIFY(dialog.result() != QDialog::Accepted);
        }
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(messages.shown[0].text, QStringLiteral("每行显示个数：您输入的不是数字，请输入数字"));
        edit->setText(QStringLiteral("4"));
        ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(openSettings(dir)->readString("Option", "Floatrownum"), std::string("4"));
    }

    void theTextDialogStoresTheTrimmedCaption()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        test::ScriptedMessages messages;
        TForm_settxt dialog(dir, "Sline", messages);
        dialog.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("  ～～～  "));
        dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(openSettings(dir)->readString("Sline", "Caption"), utf8ToGbk("～～～"));
    }
};

QTEST_MAIN(TestResults)
#include "tst_results.moc"
