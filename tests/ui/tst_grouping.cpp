// The grouping dialog filled through its fields, checked in set.dat and in
// the reset it asks for.
#include "support/ScriptedMessages.h"
#include "ui/special/TForm_setfz.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "ui/common/LineNumberEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace tessaly;

namespace {

class FixedClock : public Clock {
public:
    LocalDateTime now() const override { return {2026, 12, 9, 8, 0, 0}; }
};

QPushButton *button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QString::fromLatin1(name));
}

}  // namespace

class TestGrouping : public QObject {
    Q_OBJECT
private slots:
    void rangesAreCheckedStoredAndResetTheDraw()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary)
            << "[Option]\r\nLucks=2\r\nonerun=0\r\nscreenmain=1*1\r\n[Grade]\r\n0=" << utf8ToGbk("一等奖|3|1|3|p|")
            << "\r\n1=" << utf8ToGbk("二等奖|2|1|2|p|") << "\r\n[Grfz]\r\n1=1|" << utf8ToGbk("二等奖(2名):5-9")
            << "\r\n";
        {
            std::ofstream list(dir / "data.txt", std::ios::binary);
            for (int i = 1; i <= 30; ++i)
                list << "P" << i << "\r\n";
        }
        for (const char *f : {"ARecord.dat", "tmda.jpg", "colip.jpg"})
            std::ofstream(dir / f, std::ios::binary);
        FixedClock clock;
        MtRandom random(5);
        DrawSession session(dir, random, clock);
        session.FormCreate(false);
        session.FormShow("1*1");

        test::ScriptedMessages messages;
        int resets = 0;
        TForm_setfz dialog(dir, session, messages, [&] { ++resets; });
        // The entries stand as they are; their numbers are in the gutter.
        QCOMPARE(dialog.Memo1->lineCount(), 30);
        QCOMPARE(dialog.Memo1->document()->findBlockByNumber(10).text(), QStringLiteral("P11"));
        QCOMPARE(dialog.Memo1->firstVisibleNumber(), 1);
        QVERIFY(dialog.Memo1->isReadOnly());
        QCOMPARE(dialog.ComboBox1->count(), 2);
        QCOMPARE(dialog.ComboBox1->itemText(0), QStringLiteral("一等奖(3名)"));
        QCOMPARE(dialog.ListBox1->count(), 1);
        QCOMPARE(dialog.ListBox1->item(0)->text(), QStringLiteral("二等奖(2名):5-9"));
        QVERIFY(!dialog.CheckBox1->isChecked());

        struct Try {
            int award;
            QString first, last, message;
        };
        const Try refused[] = {
            {-1, "1", "2", QStringLiteral("请选择中奖分组分配的奖项")},
            {0, "", "2", QStringLiteral("请输入起始行")},
            {0, "0", "2", QStringLiteral("起始行数据要在参选人行数范围内，请重新输入")},
            {0, "1", "31", QStringLiteral("终止行数据要在参选人行数范围内，请重新输入")},
            {0, "20", "11", QStringLiteral("起始行不能大于终止行，请重新输入")},
        };
        for (const Try &t : refused) {
            dialog.ComboBox1->setCurrentIndex(t.award);
            dialog.Edit1->setText(t.first);
            dialog.Edit2->setText(t.last);
            button(dialog, "Button3")->click();
            QCOMPARE(messages.shown.last().text, t.message);
            QCOMPARE(dialog.ListBox1->count(), 1);
        }
        dialog.ComboBox1->setCurrentIndex(0);
        dialog.Edit1->setText(QStringLiteral("11"));
        dialog.Edit2->setText(QStringLiteral("20"));
        button(dialog, "Button3")->click();
        QCOMPARE(dialog.ListBox1->count(), 2);
        QCOMPARE(dialog.ListBox1->item(1)->text(), QStringLiteral("一等奖(3名):11-20"));
        // Deleting needs a chosen line; the old range of the second award goes.
        dialog.ListBox1->setCurrentRow(-1);
        button(dialog, "Button4")->click();
        QCOMPARE(messages.shown.last().text, QStringLiteral("请先选中\"分组情况\"中的一行"));
        dialog.ListBox1->setCurrentRow(0);
        button(dialog, "Button4")->click();
        dialog.CheckBox1->setChecked(true);
        button(dialog, "Button1")->click();

        auto settings = openSettings(dir);
        QCOMPARE(settings->readString("Option", "canfz"), std::string("1"));
        QCOMPARE(settings->readString("Grfz", "0"), "0|" + utf8ToGbk("一等奖(3名):11-20"));
        QVERIFY(!settings->hasKey("Grfz", "1"));
        QVERIFY(session.flags().GroupingEnabled);
        QCOMPARE(resets, 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestGrouping)
#include "tst_grouping.moc"
