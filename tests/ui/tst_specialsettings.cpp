// The special settings dialog filled through its tabs and fields, checked in
// Read.reb, write.reb and set.dat; the two hot keys on the stage's behalf.
#include "support/ScriptedMessages.h"
#include "support/ScriptedPickers.h"
#include "ui/special/ShortcutEdit.h"
#include "ui/special/SpecialListPage.h"
#include "ui/special/SpecialSettings.h"
#include "ui/special/TForm_ndkmdset.h"
#include "ui/special/TForm_setadv.h"
#include "ui/special/TForm_setfz.h"

#include "core/draw/DrawSession.h"
#include "core/settings/IniStore.h"
#include "core/settings/Settings.h"
#include "core/special/Secrets.h"
#include "core/special/SpecialLists.h"
#include "core/text/Base64.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>

using namespace tessaly;
using tessaly::test::ScriptedMessages;

namespace {

class FixedClock : public Clock {
public:
    LocalDateTime now() const override { return {2026, 12, 9, 8, 0, 0}; }
};

struct Program {
    Program()
    {
        dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary)
            << "[Option]\r\nLucks=2\r\nonerun=0\r\nscrolldown=0\r\nscreenmain=1*1\r\n[Grade]\r\n0="
            << utf8ToGbk("一等奖") << "|1|1|1|p|\r\n1=" << utf8ToGbk("二等奖") << "|2|1|2|p|\r\n";
        std::ofstream(dir / "data.txt", std::ios::binary) << "Wang Wu\r\n" << utf8ToGbk("张三") << "\r\nLi Si\r\n";
        for (const char *f : {"ARecord.dat", "tmda.jpg", "colip.jpg"})
            std::ofstream(dir / f, std::ios::binary);
        session = std::make_unique<DrawSession>(dir, random, clock);
        session->FormCreate(false);
        session->FormShow("1*1");
    }
    std::vector<std::string> names(const char *file, int award)
    {
        return readListNames(*IniStore::open(dir / file), std::to_string(award));
    }
    std::string option(const char *key) { return openSettings(dir)->readString("Option", key, "<absent>"); }

    QTemporaryDir tmp;
    std::filesystem::path dir;
    FixedClock clock;
    MtRandom random{3};
    std::unique_ptr<DrawSession> session;
};

template <typename T>
T *child(QObject *parent, const char *name)
{
    return parent->findChild<T *>(QString::fromLatin1(name));
}

void add(SpecialListPage *page, int award, const QString &text)
{
    page->ComboBox1->setCurrentIndex(award);
    page->Edit1->setText(text);
    child<QPushButton>(page, "Button1")->click();
}

}  // namespace

class TestSpecialSettings : public QObject {
    Q_OBJECT
private slots:
    void listTabsEditBothFiles()
    {
        Program program;
        ScriptedMessages messages;
        TForm_ndkmdset dialog(program.dir, *program.session, messages);
        dialog.show();
        SpecialListPage *pre = dialog.predetermined;
        QCOMPARE(pre->ListBox1->count(), 3);
        QCOMPARE(pre->ComboBox1->count(), 2);
        QCOMPARE(pre->StringGrid1->horizontalHeaderItem(1)->text(), QStringLiteral("二等奖"));

        add(pre, 0, QStringLiteral("wang wu"));  // letter case aside
        QCOMPARE(program.names("Read.reb", 1), std::vector<std::string>{"wang wu"});
        QVERIFY(pre->Edit1->text().isEmpty());
        QCOMPARE(pre->StringGrid1->item(0, 0)->text(), QStringLiteral("wang wu"));
        // One blank more is somebody else.
        add(pre, 0, QStringLiteral("Li Si "));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.startsWith(QStringLiteral("内定人员：在抽奖名单中没有找到该人员")));
        QCOMPARE(program.names("Read.reb", 1).size(), 1u);
        // A click fills the entry; a double click adds at once.
        pre->ComboBox1->setCurrentIndex(1);
        QListWidgetItem *zhang = pre->ListBox1->item(1);
        emit pre->ListBox1->itemClicked(zhang);
        QCOMPARE(pre->Edit1->text(), QStringLiteral("张三"));
        emit pre->ListBox1->itemDoubleClicked(pre->ListBox1->item(2));
        QCOMPARE(program.names("Read.reb", 2), std::vector<std::string>{"Li Si"});
        add(pre, 1, QStringLiteral("张三"));
        QCOMPARE(program.names("Read.reb", 2), (std::vector<std::string>{"Li Si", utf8ToGbk("张三")}));

        // Deleting: an empty cell below the last entry removes nobody.
        pre->StringGrid1->setCurrentCell(5, 1);
        child<QPushButton>(pre, "Button2")->click();
        QCOMPARE(program.names("Read.reb", 2).size(), 2u);
        pre->StringGrid1->setCurrentCell(0, 1);
        child<QPushButton>(pre, "Button2")->click();
        QCOMPARE(program.names("Read.reb", 2), std::vector<std::string>{utf8ToGbk("张三")});

        // The exclusion tab writes write.reb only; clearing the predetermined
        // tab leaves it alone.
        dialog.PageControl1->setCurrentIndex(1);
        add(dialog.excluded, 1, QStringLiteral("Li Si"));
        QCOMPARE(program.names("write.reb", 2), std::vector<std::string>{"Li Si"});
        dialog.PageControl1->setCurrentIndex(0);
        child<QPushButton>(pre, "Button3")->click();
        QCOMPARE(QFileInfo(QString::fromStdString((program.dir / "Read.reb").string())).size(), 0);
        QCOMPARE(pre->StringGrid1->item(0, 0), nullptr);
        QCOMPARE(program.names("write.reb", 2), std::vector<std::string>{"Li Si"});

        // The mixing check box is written at once.
        QVERIFY(dialog.CheckBox1->isChecked());
        dialog.CheckBox1->click();
        QCOMPARE(program.option("ntcanrandom"), std::string("0"));
    }

    void longEntriesAreShownWhole()
    {
        Program program;
        const QString longName = QStringLiteral("华东区研发中心第三事业部王工01");
        std::ofstream(program.dir / "Read.reb", std::ios::binary)
            << "[1]\r\ncoun=2\r\n1=" << base64Encode(utf8ToGbk("华东区研发中心第三事业部李工02")) << "\r\n2="
            << base64Encode(utf8ToGbk(longName.toStdString())) << "\r\n";
        ScriptedMessages messages;
        TForm_ndkmdset dialog(program.dir, *program.session, messages);
        QTableWidget *grid = dialog.predetermined->StringGrid1;
        QCOMPARE(grid->item(1, 0)->text(), longName);
        // Both start alike: cut to the column's width they could not be told apart.
        QVERIFY(grid->columnWidth(0) > QFontMetrics(grid->font()).horizontalAdvance(longName));
        QCOMPARE(grid->columnWidth(1), 110);
    }

    void parametersAreStoredAndTheHotKeysApplyAtOnce()
    {
        Program program;
        ScriptedMessages messages;
        TForm_ndkmdset dialog(program.dir, *program.session, messages);
        dialog.show();
        dialog.PageControl1->setCurrentIndex(2);
        QCOMPARE(dialog.Edit1->text(), QString::fromLatin1(kDefaultAccessCode));  // no sndmm yet
        QCOMPARE(dialog.Edit2->code(), 49237);
        QCOMPARE(dialog.Edit2->text(), QStringLiteral("Ctrl+Alt+U"));
        QCOMPARE(dialog.Edit3->code(), 49230);
        dialog.ComboBox1->setCurrentIndex(2);
        dialog.Edit1->setText(QStringLiteral(" 口令 "));
        QTest::keyClick(dialog.Edit2, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(dialog.Edit3, Qt::Key_8, Qt::AltModifier);
        QCOMPARE(dialog.Edit2->code(), 16384 + 8192 + 75);
        child<QPushButton>(&dialog, "Button4")->click();
        QCOMPARE(QString::fromStdString(program.option("sndmm")),
                 QString::fromStdString(base64Encode(utf8ToGbk("口令"))));
        QCOMPARE(program.option("sndfo"), std::to_string(16384 + 8192 + 75));
        QCOMPARE(program.option("sndst"), std::to_string(32768 + '8'));
        QCOMPARE(program.option("ntfs"), std::string("2"));
        QCOMPARE(program.session->options().sndfo, 16384 + 8192 + 75);
        QCOMPARE(program.session->options().sndst, 32768 + '8');
        QVERIFY(messages.shown.last().text.contains(QStringLiteral("总是启用内定\\黑名单功能")));
        // Reopened, the dialog shows what was stored.
        TForm_ndkmdset again(program.dir, *program.session, messages);
        QCOMPARE(again.Edit1->text(), QStringLiteral("口令"));
        QCOMPARE(again.ComboBox1->currentIndex(), 2);
        QCOMPARE(again.Edit3->text(), QStringLiteral("Alt+8"));
    }

    void hotKeysAStrayKeystrokeCouldPressAreRefused_data()
    {
        QTest::addColumn<int>("openKey");
        QTest::addColumn<int>("openMods");
        QTest::addColumn<int>("enableKey");
        QTest::addColumn<int>("enableMods");
        QTest::addColumn<QString>("refusal");
        const int ctrlAlt = int(Qt::ControlModifier | Qt::AltModifier);
        const QString open = QStringLiteral("弹出特殊功能设定窗口快捷键：");
        const QString enable = QStringLiteral("启用内定和黑名单快捷键：");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << int(Qt::Key_N) << ctrlAlt << open;
        QTest::newRow("Esc") << int(Qt::Key_U) << ctrlAlt << int(Qt::Key_Escape) << 0 << enable;
        QTest::newRow("plain letter") << int(Qt::Key_R) << 0 << int(Qt::Key_N) << ctrlAlt << open;
        QTest::newRow("Shift letter") << int(Qt::Key_U) << ctrlAlt << int(Qt::Key_R) << int(Qt::ShiftModifier) << enable;
        QTest::newRow("start key") << int(Qt::Key_Space) << int(Qt::ControlModifier) << int(Qt::Key_N) << ctrlAlt << open;
        QTest::newRow("same twice") << int(Qt::Key_U) << ctrlAlt << int(Qt::Key_U) << ctrlAlt << enable;
        QTest::newRow("Alt+F4") << int(Qt::Key_F4) << int(Qt::AltModifier) << int(Qt::Key_N) << ctrlAlt << open;
        QTest::newRow("Ctrl+Alt+F2") << int(Qt::Key_U) << ctrlAlt << int(Qt::Key_F2) << ctrlAlt << enable;
        QTest::newRow("Ctrl+Alt+Backspace") << int(Qt::Key_Backspace) << ctrlAlt << int(Qt::Key_N) << ctrlAlt << open;
        QTest::newRow("Ctrl+Alt+Delete") << int(Qt::Key_U) << ctrlAlt << int(Qt::Key_Delete) << ctrlAlt << enable;
        QTest::newRow("accepted") << int(Qt::Key_7) << int(Qt::ControlModifier) << int(Qt::Key_N) << ctrlAlt << QString();
    }
    void hotKeysAStrayKeystrokeCouldPressAreRefused()
    {
        QFETCH(int, openKey);
        QFETCH(int, openMods);
        QFETCH(int, enableKey);
        QFETCH(int, enableMods);
        QFETCH(QString, refusal);
        Program program;
        ScriptedMessages messages;
        TForm_ndkmdset dialog(program.dir, *program.session, messages);
        dialog.show();
        dialog.PageControl1->setCurrentIndex(2);
        QTest::keyClick(dialog.Edit2, Qt::Key(openKey), Qt::KeyboardModifiers(openMods));
        QTest::keyClick(dialog.Edit3, Qt::Key(enableKey), Qt::KeyboardModifiers(enableMods));
        child<QPushButton>(&dialog, "Button4")->click();
        QCOMPARE(messages.shown.size(), 1);
        if (refusal.isEmpty()) {
            QCOMPARE(messages.shown[0].text, QStringLiteral("修改参数成功。"));
            QCOMPARE(program.session->options().sndfo, 16384 + '7');
            return;
        }
        QVERIFY2(messages.shown[0].text.startsWith(refusal), qPrintable(messages.shown[0].text));
        QCOMPARE(program.option("sndfo"), std::string("<absent>"));  // nothing stored
        QCOMPARE(program.session->options().sndfo, 49237);
        QCOMPARE(program.session->options().sndst, 49230);
    }

    void aWindowWhoseSettingsCouldNotBeReadDoesNotOpen()
    {
        Program program;
        {
            auto settings = openSettings(program.dir);
            settings->writeString("Grfz", "0", "0|" + utf8ToGbk("一等奖(1名)") + ":1-2");
            settings->writeString("GrStatus", "qCaption", "'kept'");
            QVERIFY(settings->commit().ok());
        }
        const auto set = program.dir / "set.dat";
        std::filesystem::rename(set, program.dir / "set.bak");
        std::filesystem::create_directories(set);  // there, but cannot be read
        ScriptedMessages messages;
        test::ScriptedPickers pickers;
        QWidget stage;
        SpecialSettings special(program.dir, *program.session, {messages, pickers}, [](bool) {}, &stage);
        int shown = 0;
        QTimer closer;  // a window that did open is counted and closed, so the test never hangs
        connect(&closer, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++shown;
                d->reject();
            }
        });
        closer.start(10);
        special.openGrouping();
        special.openAdvanced(nullptr);
        QCOMPARE(shown, 0);
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(messages.shown[0].title, QStringLiteral("出错"));
        // Even confirmed by force, neither window writes anything.
        TForm_setfz grouping(program.dir, *program.session, messages, [] {});
        TForm_setadv advanced(program.dir, messages, pickers);
        QVERIFY(!grouping.settingsRead());
        QVERIFY(!advanced.settingsRead());
        std::filesystem::remove(set);
        std::filesystem::rename(program.dir / "set.bak", set);
        grouping.Button1->click();
        advanced.Button1->click();
        auto settings = openSettings(program.dir);
        QCOMPARE(settings->readString("Grfz", "0"), "0|" + utf8ToGbk("一等奖(1名)") + ":1-2");
        QCOMPARE(settings->readString("GrStatus", "qCaption"), std::string("kept"));
    }

    void aStoredHotKeyThatBreaksTheRuleIsNamedAndOff()
    {
        Program program;
        {
            auto settings = openSettings(program.dir);
            settings->writeString("Option", "sndst", "78");  // a plain N
            QVERIFY(settings->commit().ok());
        }
        DrawSession session(program.dir, program.random, program.clock);
        session.FormCreate(false);
        const DrawOutcome shown = session.FormShow("1*1");
        QCOMPARE(session.options().sndst, 0);
        QCOMPARE(session.options().sndfo, 49237);
        QVERIFY(!shown.notices.empty());
        QVERIFY(toQt(shown.notices[0].text).contains(QStringLiteral("sndst=78")));
    }

    void theEnablingKeyResetsTheDrawWithTheLists()
    {
        Program program;
        std::ofstream(program.dir / "write.reb", std::ios::binary)
            << "[1]\r\ncoun=2\r\n1=" << base64Encode("Wang Wu") << "\r\n2=" << base64Encode(utf8ToGbk("张三")) << "\r\n";
        ScriptedMessages messages;
        test::ScriptedPickers pickers;
        QWidget stage;
        std::vector<bool> resets;
        SpecialSettings special(program.dir, *program.session, {messages, pickers}, [&](bool useLists) {
            resets.push_back(useLists);
            // As the stage does: the hot key's reset brings the lists in and says so.
            const DrawOutcome out = useLists ? program.session->EnableLists() : program.session->ResetDraw(false);
            for (const auto &n : out.notices)
                messages.notify(&stage, toQt(n.title), toQt(n.text), MessageService::Icon::Information);
        }, &stage);
        QVERIFY(!special.hotKey(16384 + 85));  // Ctrl+U alone is nothing
        QVERIFY(resets.empty());
        QVERIFY(special.hotKey(49230));
        QCOMPARE(resets, std::vector<bool>{true});
        QVERIFY(program.session->flags().PredeterminedActive);
        QCOMPARE(messages.shown.last().text, QStringLiteral("可以重新开始抽奖"));
        // The excluded two roll but only Li Si can win the first award.
        QCOMPARE(program.session->PoolList().back(), 2);
        QCOMPARE(program.session->state().OrderFloor, 2);
    }

    void theDialogsKeepTheirNamesAndCaptions()
    {
        Program program;
        ScriptedMessages messages;
        test::ScriptedPickers pickers;
        TForm_ndkmdset lists(program.dir, *program.session, messages);
        TForm_setadv advanced(program.dir, messages, pickers);
        TForm_setfz grouping(program.dir, *program.session, messages, {});
        QCOMPARE(lists.objectName(), QStringLiteral("TForm_ndkmdset"));
        QCOMPARE(lists.windowTitle(), QStringLiteral("特殊功能设定"));
        QCOMPARE(advanced.objectName(), QStringLiteral("TForm_setadv"));
        QCOMPARE(grouping.windowTitle(), QStringLiteral("奖项分组设置(设置奖项在哪个范围中产生)"));
        QCOMPARE(lists.PageControl1->tabText(0), QStringLiteral("内定设定"));
        QCOMPARE(lists.PageControl1->tabText(1), QStringLiteral("黑名单设定"));
        QCOMPARE(lists.PageControl1->tabText(2), QStringLiteral("参数设定"));
        QCOMPARE(lists.ComboBox1->count(), 3);
        QCOMPARE(lists.Edit1->echoMode(), QLineEdit::Password);
        // Each list page names its entry field after its file.
        QCOMPARE(child<QLabel>(lists.predetermined, "Label2")->text(), QStringLiteral("内定人员："));
        QCOMPARE(child<QLabel>(lists.excluded, "Label2")->text(), QStringLiteral("黑名人员："));
        QCOMPARE(lists.CheckBox1->parentWidget()->objectName(), QStringLiteral("TabSheet1"));

        struct Caption {
            QWidget *dialog;
            const char *name;
            QString text;
        };
        const Caption buttons[] = {
            {lists.predetermined, "Button1", QStringLiteral("增加")},
            {lists.predetermined, "Button2", QStringLiteral("删除")},
            {lists.excluded, "Button3", QStringLiteral("清除全部")},
            {&lists, "Button4", QStringLiteral("修改参数")},
            {&advanced, "Button1", QStringLiteral("确定")},
            {&advanced, "Button2", QStringLiteral("取消")},
            {&advanced, "Button3", QStringLiteral("增加")},
            {&advanced, "Button4", QStringLiteral("修改")},
            {&advanced, "Button5", QStringLiteral("删除")},
            {&advanced, "Button6", QStringLiteral("清除全部")},
            {&grouping, "Button1", QStringLiteral("确定")},
            {&grouping, "Button2", QStringLiteral("取消")},
            {&grouping, "Button3", QStringLiteral("添加")},
            {&grouping, "Button4", QStringLiteral("删除")},
        };
        for (const Caption &c : buttons) {
            auto *b = child<QPushButton>(c.dialog, c.name);
            QVERIFY2(b, c.name);
            QCOMPARE(b->text(), c.text);
            QVERIFY(!b->autoDefault());  // Enter in a field must not confirm the dialog
        }
        QVERIFY(child<QGroupBox>(&advanced, "GroupBox1")->title().startsWith(QStringLiteral("抽奖嘉宾（")));
        QCOMPARE(advanced.Edit6->toolTip(), QStringLiteral("为空表示不显示图片"));
        QCOMPARE(advanced.Edit7->text(), QStringLiteral("欢迎xx领导抽取一等奖"));
        QCOMPARE(grouping.CheckBox1->text(), QStringLiteral("启用奖项分组功能"));
    }
};

QTEST_MAIN(TestSpecialSettings)
#include "tst_specialsettings.moc"
