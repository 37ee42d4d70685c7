// The corrections of the function menu driven through their dialogs on the
// stage window, checked in set.dat and the record files afterwards.
#include "support/StageFixture.h"
#include "ui/control/DrawControl.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>

using namespace tessaly;

namespace {

// The demo of this file: entries P0 to P29 and the awards given, drawn on the stage.
struct Stage : test::StageFixture {
    explicit Stage(const std::string &grades, int entries = 30) : StageFixture("scrolldown=0\r\n" + grades, entries) {}
    std::string record() const { return file("ARecord.dat"); }
};

using test::field;
using test::onDialog;

const std::string kTwoAwards = "Lucks=2\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n1=二等奖|3|1|3|手机|\r\n";

}  // namespace

class TestCorrections : public QObject {
    Q_OBJECT
private slots:
    void supplementAppendsANewAward()
    {
        Stage st(kTwoAwards);
        st.batch();
        onDialog([](QWidget *d) {
            field<QComboBox>(d, "ComboBox1")->setEditText(QStringLiteral("特别奖"));
            field<QLineEdit>(d, "Edit1")->setText(QStringLiteral("2"));
            field<QLineEdit>(d, "Edit2")->setText(QStringLiteral("旅游"));
            field<QPushButton>(d, "Button1")->click();
        });
        st.window->control().supplement();
        QCOMPARE(st.s.messages.shown.last().text, QStringLiteral("补奖设置完成。可以开始补奖。"));
        st.batch();
        QCOMPARE(st.value("Grade", "2"), utf8ToGbk("特别奖|2|1|2|旅游|"));
        QCOMPARE(st.value("Option", "Lucks"), std::string("3"));
    }

    void aSupplementBeforeTheAwardEndsIsRefused()
    {
        Stage st("Lucks=1\r\n[Grade]\r\n0=一等奖|4|2|2+2|电视|\r\n");
        st.batch();  // one of two batches
        onDialog([](QWidget *d) {
            field<QComboBox>(d, "ComboBox1")->setCurrentIndex(0);
            field<QLineEdit>(d, "Edit1")->setText(QStringLiteral("1"));
            field<QPushButton>(d, "Button1")->click();
            QVERIFY(d->isVisible());  // the dialog stays open
            static_cast<QDialog *>(d)->reject();
        });
        st.window->control().supplement();
        QVERIFY(st.s.messages.shown.last().text.startsWith(QStringLiteral("现在不能补奖。")));
        QCOMPARE(st.value("Option", "Lucks"), std::string("1"));
    }

    void giveUpWithAndWithoutReturn()
    {
        for (bool back : {false, true}) {
            Stage st(kTwoAwards, 5);  // 5 entries: 2 + 3 winners leave nobody unless one comes back
            st.batch();
            st.s.messages.setNextAnswer(true);
            onDialog([back](QWidget *d) {
                field<QComboBox>(d, "ComboBox1")->setCurrentIndex(0);
                field<QListWidget>(d, "ListBox1")->setCurrentRow(0);
                field<QCheckBox>(d, "CheckBox1")->setChecked(back);
                field<QPushButton>(d, "Button1")->click();
                QCOMPARE(field<QListWidget>(d, "ListBox1")->count(), 1);
                static_cast<QDialog *>(d)->accept();
            });
            st.window->control().giveUp();
            QCOMPARE(st.window->session().AwardWinnerNames()[0].size(), size_t(1));
            QCOMPARE(st.window->session().availableEntries(), back ? 4 : 3);
            int lines = 0;
            for (const auto &l : splitLines(st.record()))
                lines += l.empty() ? 0 : 1;
            QCOMPARE(lines, 1);
        }
    }

    void renamingAPrizeLeavesTheOtherFields()
    {
        Stage st(kTwoAwards);
        onDialog([](QWidget *d) {
            field<QComboBox>(d, "ComboBox1")->setCurrentIndex(1);
            QCOMPARE(field<QLineEdit>(d, "Edit1")->text(), QStringLiteral("手机"));
            field<QLineEdit>(d, "Edit1")->setText(QStringLiteral("平板电脑"));
            field<QPushButton>(d, "Button1")->click();
        });
        st.window->NC9Click();
        QCOMPARE(st.value("Grade", "1"), utf8ToGbk("二等奖|3|1|3|平板电脑|"));
        QCOMPARE(st.value("Grade", "0"), utf8ToGbk("一等奖|2|1|2|电视|"));
    }

    void restartAnsweredNoThenYesWhileRolling()
    {
        Stage st(kTwoAwards);
        st.batch();
        st.s.messages.setNextAnswer(false);
        st.window->control().restart();
        QVERIFY(!st.record().empty());
        st.window->GoButtonClick();
        st.window->GoButtonClick();
        QVERIFY(st.window->session().flags().Rolling);
        st.s.messages.setNextAnswer(true);
        st.window->control().restart();
        QVERIFY(!st.window->session().flags().Rolling);
        QCOMPARE(st.record(), std::string());
        QCOMPARE(st.window->session().availableEntries(), 30);
    }
};

QTEST_MAIN(TestCorrections)
#include "tst_corrections.moc"
