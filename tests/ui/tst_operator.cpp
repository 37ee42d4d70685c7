// What the operator meets around the draw on the stage window: the key
// handler, the keyboard focus after dialogs, the questions before clearing
// results or leaving an award, large boxes over the stage, opening files,
// exports, and the award settings save that keeps the draw when it can.
#include "support/StageFixture.h"
#include "ui/control/DrawControl.h"
#include "ui/common/FileOpener.h"
#include "ui/common/FocusKeeper.h"
#include "ui/common/MessageService.h"
#include "ui/common/ResultExport.h"
#include "ui/settings/AwardSettingsHost.h"
#include "ui/settings/TForm_grade.h"
#include "ui/settings/TForm_setaward.h"
#include "ui/stage/TFrmFloat.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>

using namespace tessaly;

namespace {

const std::string kAwards = "Lucks=2\r\n[Grade]\r\n0=一等奖|4|2|2+2|电视|\r\n1=二等奖|3|1|3|手机|\r\n";

struct Stage : test::StageFixture {
    explicit Stage(const std::string &options = {}, const std::string &grades = kAwards)
        : StageFixture("scrolldown=0\r\n" + options + grades + "[FirstTitle]\r\nCaption=Old\r\nVisible=1\r\n")
    {
    }
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false)
    {
        QKeyEvent e(QEvent::KeyPress, key, mods, QString(), repeat);
        QApplication::sendEvent(target(), &e);
    }
    void release(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false)
    {
        QKeyEvent e(QEvent::KeyRelease, key, mods, QString(), repeat);
        QApplication::sendEvent(target(), &e);
    }
    QWidget *target() { return QApplication::focusWidget() ? QApplication::focusWidget() : window.get(); }
    int recordLines()
    {
        std::ifstream in(dir / "ARecord.dat", std::ios::binary);
        std::string line;
        int n = 0;
        while (std::getline(in, line))
            n += line.size() > 1 ? 1 : 0;
        return n;
    }
    QStringList texts() const
    {
        QStringList all;
        for (const auto &m : s.messages.shown)
            all << m.title + QLatin1Char(':') + m.text;
        return all;
    }
};

// Closes every modal dialog that opens while `run` runs and returns their titles.
QStringList dialogsDuring(const std::function<void()> &run, const std::function<void(QWidget *)> &fill = {})
{
    QStringList titles;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            titles << d->windowTitle();
            if (fill)
                fill(d);
            if (d->isVisible())
                d->reject();
        }
    });
    poll.start();
    run();
    QTest::qWait(20);
    return titles;
}

using test::field;

// A stage that only records, in order, what the award settings window asks of it.
class OrderHost : public AwardSettingsHost {
public:
    void saveLayoutIfDirty() override {}
    void stopRollingForSettings() override {}
    void setElementVisible(const QString &, bool) override {}
    int stageWidth() const override { return 1000; }
    bool photoMode() const override { return false; }
    int elementTop(const QString &) const override { return 0; }
    int elementLeft(const QString &) const override { return 0; }
    void setElementLeft(const QString &, int) override {}
    int titleTextWidth(const QString &, const QString &) const override { return 100; }
    void arrangeAllSlots() override { calls << QStringLiteral("arrange"); }
    void resetDrawAfterSettings() override { calls << QStringLiteral("reset"); }
    int recordedWinners() const override { return 5; }
    void reloadAfterSettings() override { calls << QStringLiteral("reload"); }
    QStringList calls;
};

class ScriptedSettings : public TForm_setaward {
public:
    using TForm_setaward::TForm_setaward;
    QStringList editAward(const QStringList &) override { return next; }
    QStringList next;
};

bool stageHasFocus(const Stage &st)
{
    return QApplication::focusWidget() == st.window.get();
}

}  // namespace

class TestOperator : public QObject {
    Q_OBJECT
private slots:
    void functionKeysActOnlyByThemselves()
    {
        struct Case {
            int key;
            Qt::KeyboardModifiers mods;
            QString dialog;   // the modal dialog it opens
            QString message;  // the start of the box it shows
            bool results = false, minimised = false;
        };
        const Case cases[] = {
            {Qt::Key_F1, Qt::NoModifier, {}, QStringLiteral("提示:是否要重新开始抽奖")},
            {Qt::Key_F3, Qt::NoModifier, QStringLiteral("弃奖"), {}},
            {Qt::Key_F4, Qt::NoModifier, QStringLiteral("补奖设定"), {}},
            {Qt::Key_F5, Qt::NoModifier, QStringLiteral("临时修改奖品名称"), {}},
            {Qt::Key_F6, Qt::NoModifier, {}, {}, true},
            {Qt::Key_F11, Qt::NoModifier, {}, {}, false, true},
            {Qt::Key_F12, Qt::NoModifier, {}, QStringLiteral("提示:")},  // the close question; answered No
            {Qt::Key_F1, Qt::ShiftModifier, {}, {}},
            {Qt::Key_F3, Qt::ControlModifier, {}, {}},
            {Qt::Key_F4, Qt::AltModifier, {}, {}},
            {Qt::Key_F5, Qt::ShiftModifier, {}, {}},
            {Qt::Key_F6, Qt::ControlModifier, {}, {}},
            {Qt::Key_F11, Qt::ShiftModifier, {}, {}},
            {Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier, {}, {}},
            {Qt::Key_F2, Qt::NoModifier, {}, {}},
        };
        for (const Case &c : cases) {
            const QString name = QKeySequence(c.key | c.mods.toInt()).toString();
            Stage st;
            const QStringList dialogs = dialogsDuring([&] {
                st.press(c.key, c.mods);
                st.release(c.key, c.mods);
            });
            QCOMPARE(dialogs, c.dialog.isEmpty() ? QStringList() : QStringList{c.dialog});
            const QStringList shown = st.texts();
            if (c.message.isEmpty())
                QVERIFY2(shown.isEmpty(), qPrintable(name + QLatin1Char(' ') + shown.join(QLatin1Char('|'))));
            else
                QVERIFY2(shown.size() == 1 && shown[0].startsWith(c.message), qPrintable(name));
            QCOMPARE(st.window->findChild<TFrmFloat *>() != nullptr, c.results);
            QCOMPARE(st.window->isMinimized(), c.minimised);
            QVERIFY2(st.window->isVisible(), qPrintable(name));
            QVERIFY2(!st.session().flags().Rolling, qPrintable(name));
        }
    }

    void theStartKeyActsByItselfOnRelease()
    {
        for (int startKey : {32, 116}) {
            const int key = startKey == 32 ? Qt::Key_Space : Qt::Key_F5;
            Stage st("startkey=" + std::to_string(startKey) + "\r\n");
            QVERIFY(st.session().flags().BatchReady);  // the start prepared the first batch
            // With a modifier, press and release alike do nothing to the draw.
            QCOMPARE(dialogsDuring([&] {
                         st.press(key, Qt::ShiftModifier);
                         st.release(key, Qt::ShiftModifier);
                     }),
                     QStringList());
            QVERIFY(!st.session().flags().Rolling);
            // Held down with auto-repeat: nothing until it is released.
            st.press(key);
            for (int i = 0; i < 5; ++i) {
                st.release(key, Qt::NoModifier, true);
                st.press(key, Qt::NoModifier, true);
            }
            QVERIFY(!st.session().flags().Rolling);
            st.release(key);
            QVERIFY(st.session().flags().Rolling);
            st.press(key);
            st.release(key);
            QVERIFY(!st.session().flags().Rolling);
            QCOMPARE(st.recordLines(), 2);
            // A modifier pressed while the key is held changes nothing: the press decided.
            st.press(key);
            st.release(key, Qt::ShiftModifier);
            QVERIFY(st.session().flags().BatchReady);
            // A release whose press went elsewhere (a dialog confirmed with the key) does nothing.
            st.release(key);
            QVERIFY(!st.session().flags().Rolling);
            QVERIFY2(st.texts().isEmpty(), qPrintable(st.texts().join(QLatin1Char('|'))));
        }
    }

    void escapeAndTheHiddenResetKey()
    {
        Stage st;
        auto *bar = st.window->findChild<QFrame *>(QStringLiteral("ControlBar1"));
        bar->hide();
        st.press(Qt::Key_Escape);
        QVERIFY(bar->isVisible());
        st.window->NA2Click();  // adjustment mode on
        QVERIFY(st.window->adjustMode());
        st.press(Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(st.window->adjustMode());
        st.press(Qt::Key_Escape);
        QVERIFY(!st.window->adjustMode());

        st.batch();
        QCOMPARE(st.recordLines(), 2);
        st.s.messages.shown.clear();
        st.press(Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(st.recordLines(), 0);
        QCOMPARE(st.session().availableEntries(), 30);
        QCOMPARE(st.texts(), QStringList{QStringLiteral("提示:可以重新开始抽奖")});
    }

    void theFocusComesBackToTheStageAfterEveryDialog()
    {
        Stage st;
        st.batch();
        st.batch();  // the first award is finished: a supplement may follow
        const std::vector<std::pair<QString, std::function<void()>>> openers = {
            {QStringLiteral("supplement"), [&] { st.window->control().supplement(); }},
            {QStringLiteral("give up"), [&] { st.window->control().giveUp(); }},
            {QStringLiteral("prize"), [&] { st.window->NC9Click(); }},
            {QStringLiteral("settings"), [&] { st.window->openAwardSettings(); }},
            {QStringLiteral("tips"), [&] { st.window->ND1Click(); }},
            {QStringLiteral("message box"), [&] {
                 QMessageBox box(QMessageBox::Information, QStringLiteral("提示"), QStringLiteral("x"),
                                 QMessageBox::Ok, st.window.get());
                 box.exec();
             }},
        };
        for (const auto &[what, open] : openers) {
            st.s.messages.setNextAnswer(false);
            const QStringList shown = dialogsDuring(open, [](QWidget *d) {
                // The operator types into the dialog, then confirms or closes it.
                if (auto *edit = d->findChild<QLineEdit *>())
                    edit->setFocus();
                if (auto *combo = d->findChild<QComboBox *>(QStringLiteral("ComboBox1")); combo && combo->isEditable())
                    combo->setEditText(QStringLiteral("一等奖"));
                if (auto *count = d->findChild<QLineEdit *>(QStringLiteral("Edit1")))
                    count->setText(QStringLiteral("1"));
                if (auto *ok = d->findChild<QPushButton *>(QStringLiteral("Button1")))
                    ok->click();
            });
            QVERIFY2(!shown.isEmpty(), qPrintable(what));
            QTRY_VERIFY2(stageHasFocus(st), qPrintable(what));
        }
        // The supplement was set up; the start key reaches the stage at once.
        QVERIFY(st.session().flags().SupplementMode);
        st.press(Qt::Key_Space);
        st.release(Qt::Key_Space);
        QVERIFY(st.session().flags().Rolling);
    }

    void aFocusKeeperLeavesAWindowOverTheStageAlone()
    {
        QWidget stage;
        stage.resize(400, 300);
        stage.show();
        int restored = 0;
        FocusKeeper keeper(&stage, [&restored] { ++restored; });
        QWidget over(&stage, Qt::Window);
        QDialog box(&stage);
        over.show();
        box.show();
        box.hide();
        QTest::qWait(20);
        QCOMPARE(restored, 0);  // the window over the stage keeps the keyboard
        over.hide();
        QTRY_COMPARE(restored, 1);
        QMenu menu(&stage);
        menu.popup(QPoint(0, 0));
        menu.hide();
        QTest::qWait(20);
        QCOMPARE(restored, 1);  // a menu is no dialog
    }

    void questionsOverTheStageAreLargeAndCentred()
    {
        QWidget stage;
        MessageService::markAsStage(&stage);
        stage.setGeometry(0, 0, 1920, 1080);
        stage.show();
        QDialog over(&stage);  // a correction dialog opened from the stage
        QWidget elsewhere;
        struct Case {
            QWidget *parent;
            bool large;
        };
        for (const Case &c : {Case{&stage, true}, Case{&over, true}, Case{&elsewhere, false}, Case{nullptr, false}}) {
            QtMessageService messages;
            QFont font;
            QRect shown;
            QTimer::singleShot(50, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                font = box->font();
                shown = box->frameGeometry();
                box->button(QMessageBox::Yes)->click();
            });
            QVERIFY(messages.ask(c.parent, QStringLiteral("提示"), QStringLiteral("是否要关闭抽奖软件？")));
            const double desktop = QApplication::font().pointSizeF();
            QCOMPARE(font.pointSizeF() >= 2 * desktop, c.large);
            if (c.large)
                QVERIFY2((shown.center() - QPoint(960, 540)).manhattanLength() <= 8,
                         qPrintable(QStringLiteral("%1,%2").arg(shown.center().x()).arg(shown.center().y())));
        }
        QCOMPARE(MessageService::stageFont(2160).pointSizeF(), QApplication::font().pointSizeF() * 4);
    }

    void openingAFileThatNoProgramOpensSaysWhereAndWhy()
    {
        QTemporaryDir tmp;
        const QString file = tmp.filePath(QStringLiteral("log.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        const QString fake = tmp.filePath(QStringLiteral("opener.sh"));
        {
            QFile script(fake);
            script.open(QIODevice::WriteOnly);
            script.write("#!/bin/sh\nexit 3\n");
        }
        QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        struct Case {
            QString opener, path, reason;
        };
        const Case cases[] = {
            {fake, file, QStringLiteral("没有可以打开此类文件的程序")},
            {fake, tmp.filePath(QStringLiteral("missing.txt")), QStringLiteral("文件不存在")},
            {tmp.filePath(QStringLiteral("no-such-opener")), file, QStringLiteral("找不到打开文件所需的程序")},
        };
        for (const Case &c : cases) {
            test::ScriptedMessages messages;
            DesktopFileOpener opener(messages, c.opener);
            opener.open(c.path);
            QTRY_COMPARE(messages.shown.size(), qsizetype(1));
            QVERIFY(messages.shown[0].text.contains(QDir::toNativeSeparators(c.path)));
            QVERIFY2(messages.shown[0].text.contains(c.reason), qPrintable(messages.shown[0].text));
        }
    }

    void theHelpIsAWebPageThatShips()
    {
        Stage st;
        st.window->ND2Click();
        QCOMPARE(st.s.opener.opened.size(), qsizetype(1));
        QVERIFY(st.s.opener.opened[0].endsWith(QStringLiteral("Tessaly.html")));
        QVERIFY(QFile::exists(QStringLiteral(TESSALY_DIST_DIR "/Tessaly.html")));
    }

    void exportsStartInTheEventFolderAndSayWhereTheyWent()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        test::TestServices s;
        const QString chosen = tmp.filePath(QStringLiteral("结果/抽奖结果.txt"));
        QDir(tmp.path()).mkdir(QStringLiteral("结果"));
        s.pickers.setNextFile(chosen);
        QVERIFY(exportResultText(nullptr, s.pickers, s.messages, dir, QStringLiteral("导出"), utf8ToGbk("一等奖\r\n")));
        QCOMPARE(s.pickers.saveStarts, QStringList{tmp.filePath(QStringLiteral("抽奖结果.txt"))});
        QCOMPARE(s.messages.shown.last().text, QStringLiteral("抽奖结果已保存到：\n") + chosen);
        QFile written(chosen);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray::fromStdString(utf8ToGbk("一等奖\r\n")));

        s.pickers.setNextFile(tmp.filePath(QStringLiteral("no-such-folder/x.txt")));
        QVERIFY(!exportResultText(nullptr, s.pickers, s.messages, dir, QStringLiteral("导出"), "x"));
        QVERIFY(s.messages.shown.last().text.startsWith(QStringLiteral("抽奖结果没有保存")));
        QVERIFY(!exportResultText(nullptr, s.pickers, s.messages, dir, QStringLiteral("导出"), "x"));  // cancelled
        QCOMPARE(s.messages.shown.size(), qsizetype(2));
    }

    void restoringDefaultsWithWinnersAsksTwice()
    {
        struct Case {
            int batches;
            QList<bool> answers;
            int questions;
            bool restored;
        };
        for (const Case &c : {Case{0, {true}, 1, true}, Case{1, {true, false}, 2, false}, Case{1, {true, true}, 2, true}}) {
            Stage st;
            for (int i = 0; i < c.batches; ++i)
                st.batch();
            st.s.messages.shown.clear();
            for (bool a : c.answers)
                st.s.messages.setNextAnswer(a);
            st.window->NA3Click();
            QCOMPARE(st.s.messages.shown.size(), qsizetype(c.questions));
            if (c.questions == 2)
                QVERIFY(st.s.messages.shown[1].text.contains(QStringLiteral("清除已抽出的2名")));
            QCOMPARE(st.recordLines(), c.restored ? 0 : 2 * c.batches);
        }
    }

    void continuingFromAnotherAwardOverAnUnfinishedOneAsksFirst()
    {
        for (bool yes : {false, true}) {
            Stage st;
            st.batch();  // 2 of the first award's 4
            st.s.messages.setNextAnswer(yes);
            auto *item = st.window->findChild<QAction *>(QStringLiteral("NC5Z1"));
            QVERIFY(item);
            item->trigger();
            QVERIFY(st.texts().join(QLatin1Char('|')).contains(QStringLiteral("还没有抽完（已抽出2名，共4名）")));
            QCOMPARE(st.session().state().CurrentAward, yes ? 1 : 0);
        }
    }

    void aMissingBuiltInBackgroundIsReportedAndNotStored()
    {
        Stage st("MainImgBG=img\\0.jpg\r\n");
        st.window->findChild<QAction *>(QStringLiteral("Nbj3"))->trigger();
        QVERIFY(st.texts().join(QLatin1Char('|')).contains(QStringLiteral("无法加载背景图片")));
        QCOMPARE(st.value("Option", "MainImgBG"), std::string("img\\0.jpg"));
    }

    void theAwardSaveResetsTheDrawOnlyForChangesThatDecideIt()
    {
        struct Case {
            QString what;
            std::function<void(QWidget *)> edit;
            bool asked;
        };
        const Case cases[] = {
            {QStringLiteral("title and hide box"),
             [](QWidget *d) {
                 field<QLineEdit>(d, "Edit1")->setText(QStringLiteral("New"));
                 field<QCheckBox>(d, "CheckBox2")->setChecked(true);
             },
             false},
            {QStringLiteral("speed and window mode"),
             [](QWidget *d) {
                 field<QLineEdit>(d, "Edit4")->setText(QStringLiteral("60"));
                 field<QCheckBox>(d, "CheckBox16")->setChecked(true);
             },
             false},
            {QStringLiteral("a prize"), [](QWidget *d) { field<QTableWidget>(d, "StringGrid1")->item(1, 4)->setText(QStringLiteral("冰箱")); }, true},
            {QStringLiteral("the draw order"), [](QWidget *d) { field<QComboBox>(d, "ComboBox1")->setCurrentIndex(1); }, true},
        };
        for (const Case &c : cases) {
            Stage st;
            st.batch();
            st.s.messages.shown.clear();
            st.s.messages.setNextAnswer(true);
            dialogsDuring([&] { st.window->openAwardSettings(); },
                          [&](QWidget *d) {
                              c.edit(d);
                              field<QPushButton>(d, "Button1")->click();
                          });
            const bool asked = !st.s.messages.shown.isEmpty() && st.s.messages.shown[0].title == QStringLiteral("重要提示");
            QVERIFY2(asked == c.asked, qPrintable(c.what));
            if (asked)
                QVERIFY(st.s.messages.shown[0].text.contains(QStringLiteral("已抽出的2名中奖人员的中奖记录将被清除")));
            QCOMPARE(st.recordLines(), c.asked ? 0 : 2);
            QCOMPARE(st.session().AwardWinners()[0].size(), size_t(c.asked ? 0 : 2));
        }
        // Without a reset the new settings still take effect on the stage.
        Stage st;
        st.batch();
        dialogsDuring([&] { st.window->openAwardSettings(); },
                      [&](QWidget *d) {
                          field<QLineEdit>(d, "Edit4")->setText(QStringLiteral("70"));
                          field<QComboBox>(d, "ComboBox2")->setCurrentIndex(1);  // Enter
                          field<QPushButton>(d, "Button1")->click();
                      });
        QCOMPARE(st.session().grade().IntervalTime, 70);
        QCOMPARE(st.session().options().startkey, 13);
        QCOMPARE(st.session().state().CurrentBatch, 2);
    }

    void theSlotsAreArrangedForTheNewTableAfterTheReset()
    {
        Stage st;
        OrderHost host;
        ScriptedSettings dialog(st.dir, host, st.s.messages);
        dialog.next = {QStringLiteral("三等奖"), QStringLiteral("7"), QStringLiteral("1"), QStringLiteral("7"),
                       QStringLiteral("杯子"), QString()};
        dialog.findChild<QPushButton *>(QStringLiteral("Button3"))->click();  // add an award
        st.s.messages.shown.clear();
        st.s.messages.setNextAnswer(true);  // reset
        st.s.messages.setNextAnswer(true);  // arrange
        dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(host.calls, (QStringList{QStringLiteral("reset"), QStringLiteral("arrange")}));
        QVERIFY(st.s.messages.shown[0].text.contains(QStringLiteral("已抽出的5名")));
        QCOMPARE(st.value("Grade", "2"), utf8ToGbk("三等奖|7|1|7|杯子|"));
    }

    void leavingTheAwardSettingsUnsavedUndoesTheHideBoxes()
    {
        const std::vector<std::pair<QString, std::function<void(QDialog *)>>> leaves = {
            {QStringLiteral("cancel"), [](QDialog *d) { field<QPushButton>(d, "Button2")->click(); }},
            {QStringLiteral("escape"), [](QDialog *d) { QTest::keyClick(d, Qt::Key_Escape); }},
            {QStringLiteral("close box"), [](QDialog *d) { d->close(); }},
        };
        for (const auto &[what, leave] : leaves) {
            Stage st;
            auto *title = st.window->findChild<QWidget *>(QStringLiteral("FirstTitle"));
            QVERIFY(title->isVisible());
            bool hiddenMeanwhile = false;
            dialogsDuring([&] { st.window->openAwardSettings(); },
                          [&](QWidget *d) {
                              field<QCheckBox>(d, "CheckBox1")->setChecked(true);
                              hiddenMeanwhile = !title->isVisible();
                              leave(static_cast<QDialog *>(d));
                          });
            QVERIFY2(hiddenMeanwhile, qPrintable(what));
            QVERIFY2(title->isVisible(), qPrintable(what));
        }
    }

    void namesHoldingTheSeparatorAreRefusedAtOk()
    {
        QTemporaryDir tmp;
        test::ScriptedMessages messages;
        for (const QStringList &row : {QStringList{QStringLiteral("一|等奖"), QStringLiteral("2"), QStringLiteral("1"),
                                                   QStringLiteral("2"), QStringLiteral("电视"), QString()},
                                       QStringList{QStringLiteral("一等奖"), QStringLiteral("2"), QStringLiteral("1"),
                                                   QStringLiteral("2"), QStringLiteral("电视|冰箱"), QString()}}) {
            TForm_grade dialog(tmp.path().toStdString(), row, messages, {});
            dialog.show();
            dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            QVERIFY(dialog.result() != QDialog::Accepted);
            QVERIFY(messages.shown.last().text.contains(QStringLiteral("不能含有“|”")));
        }
    }

    void aFailedPrizePictureCopyIsReported()
    {
        QTemporaryDir tmp;
        test::ScriptedMessages messages;
        const QString missing = tmp.filePath(QStringLiteral("gone.jpg"));
        TForm_grade dialog(tmp.path().toStdString(), {}, messages, [missing](QWidget *) { return missing; });
        auto *picture = dialog.findChild<QLineEdit *>(QStringLiteral("Edit5"));
        picture->setText(QStringLiteral("Awardimg\\old.jpg"));
        dialog.findChild<QPushButton *>(QStringLiteral("Button3"))->click();
        QCOMPARE(picture->text(), QStringLiteral("Awardimg\\old.jpg"));
        QVERIFY(messages.shown.last().text.startsWith(QStringLiteral("奖品图片复制失败")));
    }
};

QTEST_MAIN(TestOperator)
#include "tst_operator.moc"
