// The award settings window and the single-award dialog, filled through their
// fields and buttons, checked in set.dat afterwards.
#include "support/ScriptedMessages.h"
#include "ui/common/InputMethodBox.h"
#include "ui/settings/AwardSettingsHost.h"
#include "ui/settings/TForm_grade.h"
#include "ui/settings/TForm_setaward.h"

#include "core/settings/Settings.h"
#include "core/text/Gbk.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace tessaly;

namespace {

// Records what the settings window asks of the stage.
class RecordingHost : public AwardSettingsHost {
public:
    void saveLayoutIfDirty() override {}
    void stopRollingForSettings() override { ++stops; }
    void setElementVisible(const QString &e, bool v) override { visible[e] = v; }
    int stageWidth() const override { return 1000; }
    bool photoMode() const override { return false; }
    int elementTop(const QString &) const override { return 77; }
    int elementLeft(const QString &e) const override { return lefts.value(e, 5); }
    void setElementLeft(const QString &e, int left) override { lefts[e] = left; }
    int titleTextWidth(const QString &, const QString &caption) const override { return caption.size() * 10; }
    void arrangeAllSlots() override { ++arranged; }
    void resetDrawAfterSettings() override { ++resets; }

    QMap<QString, bool> visible;
    QMap<QString, int> lefts;
    int stops = 0, arranged = 0, resets = 0;
};

// The single-award dialog answers from a list prepared by the test.
class ScriptedSetaward : public TForm_setaward {
public:
    using TForm_setaward::TForm_setaward;
    QStringList editAward(const QStringList &) override { return next.isEmpty() ? QStringList() : next.takeFirst(); }
    QList<QStringList> next;
};

struct Folder {
    Folder(int participants)
    {
        dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary)
            << "[Option]\r\nLucks=1\r\n[Grade]\r\n0=\r\n[FirstTitle]\r\nVisible=1\r\n";
        std::ofstream list(dir / "data.txt", std::ios::binary);
        for (int i = 0; i < participants; ++i)
            list << "p" << i << "\r\n";
    }
    std::string read(const char *section, const char *key)
    {
        return openSettings(dir)->readString(section, key, "<absent>");
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
};

QStringList row(const char *name, int winners, int batches, const char *detail)
{
    return {QString::fromUtf8(name), QString::number(winners), QString::number(batches), QString::fromLatin1(detail),
            QStringLiteral("奖品"), QString()};
}

}  // namespace

class TestAwardSettings : public QObject {
    Q_OBJECT
private slots:
    void savesTheTableAndResetsTheDraw()
    {
        Folder f(120);
        RecordingHost host;
        test::ScriptedMessages messages;
        ScriptedSetaward w(f.dir, host, messages);
        w.next = {row("一等奖", 1, 1, "1"), row("二等奖", 100, 4, "25+25+25+25")};
        w.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("年会"));
        w.findChild<QPushButton *>(QStringLiteral("Button3"))->click();
        w.findChild<QPushButton *>(QStringLiteral("Button3"))->click();
        messages.setNextAnswer(true);   // return everything to the pool
        messages.setNextAnswer(false);  // no new slot arrangement
        w.findChild<QPushButton *>(QStringLiteral("Button1"))->click();

        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(f.read("Option", "Lucks"), std::string("2"));
        QCOMPARE(f.read("Grade", "0"), utf8ToGbk("一等奖|1|1|1|奖品|"));
        QCOMPARE(f.read("Grade", "1"), utf8ToGbk("二等奖|100|4|25+25+25+25|奖品|"));
        QCOMPARE(f.read("Option", "oneRzMarqueeStatus"), std::string("1"));  // 101 winners in total
        QCOMPARE(f.read("SFirstTitle", "Caption"), utf8ToGbk("年会"));
        QCOMPARE(f.read("FirstTitle", "Left"), std::string("490"));  // (1000 - 2 * 10) / 2
        QCOMPARE(f.read("Award", "Top"), std::string("77"));
        QCOMPARE(host.stops, 1);
        QCOMPARE(host.resets, 1);
        QCOMPARE(host.arranged, 0);
    }

    void refusesWhatCannotBeDrawn()
    {
        struct Case {
            QList<QStringList> rows;
            QString message;
        };
        const Case cases[] = {
            {{}, QStringLiteral("至少要设定一个奖项！请设定奖项")},
            {{row("A", 8, 1, "8"), row("B", 3, 1, "3")},
             QStringLiteral("中奖总名额不能大于参选人数！请重新设置奖项或检查参选人员")},
        };
        for (const auto &c : cases) {
            Folder f(10);
            RecordingHost host;
            test::ScriptedMessages messages;
            ScriptedSetaward w(f.dir, host, messages);
            w.next = c.rows;
            for (int i = 0; i < c.rows.size(); ++i)
                w.findChild<QPushButton *>(QStringLiteral("Button3"))->click();
            w.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            QCOMPARE(messages.shown.size(), 1);
            QVERIFY2(messages.shown[0].text.startsWith(c.message), qPrintable(messages.shown[0].text));
            QCOMPARE(f.read("Option", "Lucks"), std::string("1"));
            QCOMPARE(host.resets, 0);
        }
    }

    void cancelUndoesTheHideBoxes()
    {
        Folder f(10);
        RecordingHost host;
        test::ScriptedMessages messages;
        TForm_setaward w(f.dir, host, messages);
        w.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
        QCOMPARE(host.visible.value(QStringLiteral("FirstTitle"), true), false);
        w.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        QCOMPARE(host.visible.value(QStringLiteral("FirstTitle"), false), true);
        QCOMPARE(f.read("FirstTitle", "Visible"), std::string("1"));
    }

    void gradeDialogPreFillsAndRefusesEmptyBatches()
    {
        QTemporaryDir tmp;
        test::ScriptedMessages messages;
        TForm_grade g(tmp.path().toStdString(), {}, messages);
        g.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("4"));
        g.findChild<QLineEdit *>(QStringLiteral("Edit3"))->setText(QStringLiteral("3"));
        auto *grid = g.findChild<QTableWidget *>(QStringLiteral("StringGrid1"));
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(2, 2)->text(), QStringLiteral("0"));
        g.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(g.result() != QDialog::Accepted);
        grid->item(1, 2)->setText(QStringLiteral("1"));
        grid->item(2, 2)->setText(QStringLiteral("1"));
        g.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(g.result(), int(QDialog::Accepted));
        QCOMPARE(g.result(), int(QDialog::Accepted));
        QCOMPARE(g.awardRow(), (QStringList{QString(), "4", "3", "2+1+1", QString(), QString()}));
    }

    void theInputMethodListServesTheTypedTextFields()
    {
        Folder f(10);
        RecordingHost host;
        test::ScriptedMessages messages;
        TForm_setaward setaward(f.dir, host, messages);
        TForm_grade grade(f.dir, {}, messages);
        struct Case {
            QDialog *window;
            QString label;
            QStringList served, untouched;
        };
        const Case cases[] = {
            {&grade, "Label7", {"Edit1", "Edit4"}, {"Edit2", "Edit3", "Edit5"}},
            {&setaward, "Label12", {"Edit1", "Edit2", "Edit3"}, {"Edit4", "Edit5", "Edit6"}},
        };
        for (const Case &c : cases) {
            auto *list = c.window->findChild<InputMethodBox *>();
            QVERIFY(list);
            auto *label = c.window->findChild<QLabel *>(c.label);
            QVERIFY(label);
            QVERIFY(label->text().startsWith(QStringLiteral("输入法选择")));
            QCOMPARE(label->buddy(), list);
            auto enabled = [&](const QStringList &names) {
                QList<bool> states;
                for (const QString &name : names)
                    states << c.window->findChild<QLineEdit *>(name)->testAttribute(Qt::WA_InputMethodEnabled);
                return states;
            };
            auto leave = [&] {
                QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                QApplication::sendEvent(list, &out);
            };
            const QList<bool> allOn(c.served.size(), true), allOff(c.served.size(), false);
            const QList<bool> untouchedBefore = enabled(c.untouched);
            QVERIFY(!list->offChosen());
            QCOMPARE(enabled(c.served), allOn);
            // Choosing alone changes nothing; leaving the list hands the choice over.
            list->setCurrentIndex(list->count() - 1);
            QCOMPARE(enabled(c.served), allOn);
            leave();
            QCOMPARE(enabled(c.served), allOff);
            QCOMPARE(enabled(c.untouched), untouchedBefore);
            // Opening the list's own popup is not leaving it.
            list->setCurrentIndex(0);
            QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
            QApplication::sendEvent(list, &popup);
            QCOMPARE(enabled(c.served), allOff);
            leave();
            QCOMPARE(enabled(c.served), allOn);
            // Picking an item from the list applies it at once.
            list->setCurrentIndex(list->count() - 1);
            emit list->activated(list->count() - 1);
            QCOMPARE(enabled(c.served), allOff);
        }
    }
};

QTEST_MAIN(TestAwardSettings)
#include "tst_awardsettings.moc"
