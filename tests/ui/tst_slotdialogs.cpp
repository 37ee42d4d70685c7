// The two slot arrangement dialogs: their suggestions, their refusals and the
// layout they store.
#include "support/ScriptedMessages.h"
#include "ui/stage/TForm_changpo.h"
#include "ui/stage/TForm_changpo20.h"

#include "core/settings/Settings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;

class TestSlotDialogs : public QObject {
    Q_OBJECT
private slots:
    void columnsSuggestMarginsAndTheGridIsStored()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        test::ScriptedMessages messages;
        TForm_changpo dialog({dir, 12, {1024, 768}, {100, 40}, 200}, messages);
        auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(QString::fromLatin1(name)); };
        edit("Edit1")->setText(QStringLiteral("3"));  // 4 rows: top = base + 100 - 40
        QCOMPARE(edit("Edit3")->text(), QStringLiteral("260"));
        QCOMPARE(edit("Edit4")->text(), QStringLiteral("170"));  // 150 + 100 - 40 - 40
        dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        auto s = openSettings(dir);
        const int left0 = (1024 - 3 * 100 - 2 * 30) / 2;
        QCOMPARE(s->readInteger("12label", "1Left", -1), left0);
        QCOMPARE(s->readInteger("12label", "1Top", -1), 260);
        QCOMPARE(s->readInteger("12label", "12Left", -1), left0 + 2 * 130);
        QCOMPARE(s->readInteger("12all", "Width", -1), 100);
        QCOMPARE(s->readString("12all", "screen"), std::string("1024*768"));
        QVERIFY(messages.shown.isEmpty());
    }

    void emptyAndZeroFieldsAreRefused()
    {
        struct Case {
            const char *columns, *gap, *top, *bottom;
            QString message;
        };
        const Case cases[] = {
            {"", "30", "1", "1", QStringLiteral("列数不能为空。")},
            {"2", " ", "1", "1", QStringLiteral("列间距不能为空。")},
            {"2", "30", "", "1", QStringLiteral("上边距不能为空。")},
            {"2", "30", "1", "", QStringLiteral("下边距不能为空。")},
            {"0", "30", "1", "1", QStringLiteral("列数必须至少为 1。")},
        };
        for (const auto &c : cases) {
            QTemporaryDir tmp;
            test::ScriptedMessages messages;
            TForm_changpo dialog({tmp.path().toStdString(), 5, {1024, 768}, {100, 40}, 100}, messages);
            auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(QString::fromLatin1(name)); };
            edit("Edit1")->setText(QString::fromLatin1(c.columns));
            edit("Edit2")->setText(QString::fromLatin1(c.gap));
            edit("Edit3")->setText(QString::fromLatin1(c.top));
            edit("Edit4")->setText(QString::fromLatin1(c.bottom));
            dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            QVERIFY(dialog.result() != QDialog::Accepted);
            QCOMPARE(messages.shown.last().text, c.message);
            QVERIFY(!std::filesystem::exists(tmp.path().toStdString() + "/set.dat"));
        }
    }

    void aWideGridIsStoredWithAWarning()
    {
        QTemporaryDir tmp;
        test::ScriptedMessages messages;
        TForm_changpo dialog({tmp.path().toStdString(), 6, {800, 600}, {300, 40}, 100}, messages);
        for (auto [name, text] : {std::pair{"Edit1", "3"}, std::pair{"Edit2", "30"}})
            dialog.findChild<QLineEdit *>(QString::fromLatin1(name))->setText(QString::fromLatin1(text));
        dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(messages.shown.last().text, QStringLiteral("抽奖滚动区宽度大于屏幕,请在抽奖滚动区右键菜单调整小的字体。"));
    }

    void theTextBlockDialogAppliesItsValues()
    {
        test::ScriptedMessages messages;
        TForm_changpo20::Values applied;
        TForm_changpo20 dialog({9, 2, 100, true}, {1024, 768},
                               [&](const TForm_changpo20::Values &v) {
                                   applied = v;
                                   return TextSize{900, 900};  // taller than the stage
                               },
                               messages);
        auto edit = [&](const char *name) { return dialog.findChild<QLineEdit *>(QString::fromLatin1(name)); };
        QCOMPARE(edit("Edit1")->text(), QStringLiteral("9"));
        edit("Edit1")->setText(QStringLiteral("0"));
        dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(messages.shown.last().text, QStringLiteral("每行个数必须是 1 到 2001 之间的数字。"));
        edit("Edit1")->setText(QStringLiteral("4"));
        edit("Edit3")->setText(QStringLiteral("150"));
        dialog.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(false);
        dialog.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(applied.rowLength, 4);
        QCOMPARE(applied.top, 150);
        QVERIFY(!applied.blankLine);
        QCOMPARE(messages.shown.last().text, QStringLiteral("抽奖滚动区高度大于屏幕,请调整字体或每行个数。"));
    }
};

QTEST_MAIN(TestSlotDialogs)
#include "tst_slotdialogs.moc"
