// The advanced settings window filled through its fields, checked in set.dat.
#include "support/ScriptedMessages.h"
#include "support/ScriptedPickers.h"
#include "ui/special/TForm_setadv.h"

#include "core/settings/IniStore.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "ui/common/InputMethodBox.h"
#include "ui/participants/ListToolDialogs.h"

#include <QCheckBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace tessaly;

namespace {

struct Folder {
    Folder()
    {
        dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary)
            << "[Option]\r\nLucks=2\r\n[Grade]\r\n0=" << utf8ToGbk("一等奖|3|3|1+1+1|p|") << "\r\n1="
            << utf8ToGbk("二等奖|2|1|2|p|") << "\r\n[MarqueeStatus]\r\n1-2=" << utf8ToGbk("第二批嘉宾")
            << "\r\n2-1=" << utf8ToGbk("二等奖嘉宾") << "\r\n9-9=keep\r\n[GrStatus]\r\nqCaption='  "
            << utf8ToGbk("准备<本轮抽取名额>名") << "'\r\n";
    }
    QString value(const char *section, const char *key)
    {
        return QString::fromStdString(gbkToUtf8(openSettings(dir)->readString(section, key, "<absent>")));
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
};

QPushButton *button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QString::fromLatin1(name));
}

}  // namespace

class TestAdvanced : public QObject {
    Q_OBJECT
private slots:
    void fieldsAndAnnouncementsRoundTrip()
    {
        Folder folder;
        test::ScriptedMessages messages;
        test::ScriptedPickers pickers;
        TForm_setadv dialog(folder.dir, messages, pickers);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("高级设置"));
        QCOMPARE(dialog.Edit2->text(), QStringLiteral("  准备<本轮抽取名额>名"));  // blanks kept by the quotes
        QCOMPARE(dialog.ListBox1->count(), 4);
        QCOMPARE(dialog.ListBox1->item(2)->text(), QStringLiteral("一等奖第3批"));
        QCOMPARE(dialog.ListBox2->count(), 2);
        QCOMPARE(dialog.ListBox2->item(0)->text(), QStringLiteral("1-2[一等奖第2批]:第二批嘉宾"));
        QVERIFY(dialog.CheckBox1->isChecked());

        // The checks of "增加" and "修改", and "修改" with no line chosen.
        dialog.ListBox1->setCurrentRow(-1);
        button(dialog, "Button3")->click();
        QCOMPARE(messages.shown.last().text, QStringLiteral("请选择奖项和批次"));
        dialog.ListBox1->setCurrentRow(0);
        dialog.Edit7->setText(QStringLiteral("  "));
        button(dialog, "Button3")->click();
        QCOMPARE(messages.shown.last().text, QStringLiteral("请输入内容"));
        dialog.Edit7->setText(QStringLiteral(" 欢迎:王总 "));
        button(dialog, "Button3")->click();
        QCOMPARE(dialog.ListBox2->count(), 3);
        QCOMPARE(dialog.ListBox2->item(2)->text(), QStringLiteral("1-1[一等奖第1批]:欢迎:王总"));
        dialog.ListBox2->setCurrentRow(-1);
        const int shown = messages.shown.size();
        button(dialog, "Button4")->click();
        QCOMPARE(dialog.ListBox2->count(), 3);
        QCOMPARE(messages.shown.size(), shown);

        // Clicking a line selects its batch and fills the content; "修改" replaces it.
        dialog.ListBox2->setCurrentRow(1);
        emit dialog.ListBox2->itemClicked(dialog.ListBox2->item(1));
        QCOMPARE(dialog.ListBox1->currentRow(), 3);
        QCOMPARE(dialog.Edit7->text(), QStringLiteral("二等奖嘉宾"));
        dialog.Edit7->setText(QStringLiteral("李总"));
        button(dialog, "Button4")->click();
        QCOMPARE(dialog.ListBox2->item(1)->text(), QStringLiteral("2-1[二等奖第1批]:李总"));
        // "删除" removes the first line's key at OK.
        dialog.ListBox2->setCurrentRow(0);
        button(dialog, "Button5")->click();

        dialog.Edit1->setText(QStringLiteral(" 按空格键开始 "));
        dialog.Edit6->setText(QStringLiteral(" img\\logo.jpg "));
        dialog.CheckBox1->setChecked(false);
        button(dialog, "Button1")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(folder.value("readyLuck", "Caption"), QStringLiteral(" 按空格键开始 "));
        QCOMPARE(folder.value("Option", "logoImgBG"), QStringLiteral("img\\logo.jpg"));
        QCOMPARE(folder.value("Option", "bosscenter"), QStringLiteral("0"));
        QCOMPARE(folder.value("MarqueeStatus", "1-2"), QStringLiteral("<absent>"));
        QCOMPARE(folder.value("MarqueeStatus", "2-1"), QStringLiteral("李总"));
        QCOMPARE(folder.value("MarqueeStatus", "1-1"), QStringLiteral("欢迎"));  // up to the colon
        QCOMPARE(folder.value("MarqueeStatus", "9-9"), QStringLiteral("keep"));
    }

    void clearingAllRemovesTheStoredAnnouncementsAndCancelWritesNothing()
    {
        Folder folder;
        test::ScriptedMessages messages;
        test::ScriptedPickers pickers;
        {
            TForm_setadv dialog(folder.dir, messages, pickers);
            button(dialog, "Button6")->click();
            QCOMPARE(dialog.ListBox2->count(), 0);
            button(dialog, "Button2")->click();
        }
        QCOMPARE(folder.value("MarqueeStatus", "1-2"), QStringLiteral("第二批嘉宾"));
        TForm_setadv dialog(folder.dir, messages, pickers);
        dialog.ListBox2->setCurrentRow(-1);
        button(dialog, "Button5")->click();
        QCOMPARE(messages.shown.last().text, QStringLiteral("请先选中一行"));
        button(dialog, "Button6")->click();
        button(dialog, "Button1")->click();
        QCOMPARE(folder.value("MarqueeStatus", "1-2"), QStringLiteral("<absent>"));
        QCOMPARE(folder.value("MarqueeStatus", "2-1"), QStringLiteral("<absent>"));
        QCOMPARE(folder.value("GrStatus", "qCaption"), QStringLiteral("  准备<本轮抽取名额>名"));
        TForm_setadv reopened(folder.dir, messages, pickers);
        QCOMPARE(reopened.ListBox2->count(), 0);
    }

    void theInputMethodListServesTheSixTextFields()
    {
        // The listing looks for the frameworks' programs on the PATH.
        QTemporaryDir bin;
        const QByteArray oldPath = qgetenv("PATH"), oldModule = qgetenv("QT_IM_MODULE");
        struct Case {
            QStringList programs;
            QString module;
            QStringList items;
        };
        const QString off = QStringLiteral("关闭输入法(直接输入英文和数字)");
        const Case cases[] = {
            {{}, {}, {QStringLiteral("桌面默认输入法"), off}},
            {{"ibus-daemon"}, "ibus", {QStringLiteral("IBus (正在使用)"), off}},
            {{"fcitx5", "ibus-daemon"}, "fcitx", {QStringLiteral("Fcitx 5 (正在使用)"), QStringLiteral("IBus"), off}},
        };
        Folder folder;
        test::ScriptedMessages messages;
        test::ScriptedPickers pickers;
        for (const Case &c : cases) {
            QDir(bin.path()).removeRecursively();
            QDir().mkpath(bin.path());
            for (const QString &program : c.programs) {
                QFile file(bin.path() + QLatin1Char('/') + program);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
            }
            qputenv("PATH", bin.path().toLocal8Bit());
            qputenv("QT_IM_MODULE", c.module.toLatin1());
            TForm_setadv dialog(folder.dir, messages, pickers);
            QStringList items;
            for (int i = 0; i < dialog.ComboBox1->count(); ++i)
                items << dialog.ComboBox1->itemText(i);
            QCOMPARE(items, c.items);
            // The list editor's chooser is the same piece.
            QWidget memo;
            TForm_ime ime(&memo);
            QCOMPARE(ime.ComboBox1->count(), dialog.ComboBox1->count());
        }
        qputenv("PATH", oldPath);
        qputenv("QT_IM_MODULE", oldModule);

        TForm_setadv dialog(folder.dir, messages, pickers);
        const QList<QWidget *> served = {dialog.Edit1, dialog.Edit2, dialog.Edit3, dialog.Edit4, dialog.Edit5, dialog.Edit7};
        auto leave = [&] {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(dialog.ComboBox1, &out);
        };
        // Choosing alone changes nothing; leaving the list gives the choice to the six.
        dialog.ComboBox1->setCurrentIndex(dialog.ComboBox1->count() - 1);
        for (QWidget *field : served)
            QVERIFY(field->testAttribute(Qt::WA_InputMethodEnabled));
        leave();
        for (QWidget *field : served)
            QVERIFY(!field->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(dialog.Edit6->testAttribute(Qt::WA_InputMethodEnabled));  // the logo path is not typed text
        dialog.ComboBox1->setCurrentIndex(0);
        leave();
        for (QWidget *field : served)
            QVERIFY(field->testAttribute(Qt::WA_InputMethodEnabled));
        // The list editor's chooser applies to its edit area at "确定" and shows it when reopened.
        QPlainTextEdit memo;
        TForm_ime ime(&memo);
        QVERIFY(!ime.ComboBox1->offChosen());
        ime.ComboBox1->setCurrentIndex(ime.ComboBox1->count() - 1);
        ime.Button1Click();
        QVERIFY(!memo.testAttribute(Qt::WA_InputMethodEnabled));
        TForm_ime again(&memo);
        QVERIFY(again.ComboBox1->offChosen());
    }
};

QTEST_MAIN(TestAdvanced)
#include "tst_advanced.moc"
