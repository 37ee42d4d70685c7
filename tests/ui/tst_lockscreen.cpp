// The screen lock, the password change and the access-code prompt, driven
// through their fields and checked in set.dat.
#include "support/ScriptedMessages.h"
#include "ui/special/TForm_lockscreen.h"
#include "ui/special/TForm_mm.h"
#include "ui/special/TForm_setmm.h"

#include "core/settings/Settings.h"
#include "core/text/Base64.h"
#include "core/text/Gbk.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <functional>

using namespace tessaly;
using tessaly::test::ScriptedMessages;

namespace {

struct Folder {
    explicit Folder(const std::string &option = {})
    {
        dir = tmp.path().toStdString();
        std::ofstream(dir / "set.dat", std::ios::binary) << "[Option]\r\nLucks=0\r\n" << option;
    }
    std::string option(const char *key) { return openSettings(dir)->readString("Option", key, "<absent>"); }
    QTemporaryDir tmp;
    std::filesystem::path dir;
};

template <typename T>
T *field(QWidget &w, const char *name)
{
    return w.findChild<T *>(QString::fromLatin1(name));
}

void type(QWidget &w, const char *name, const QString &text)
{
    // Chinese cannot be typed as key clicks: it comes as the input method would put it.
    auto *edit = field<QLineEdit>(w, name);
    edit->clear();
    edit->insert(text);
}

void click(QWidget &w, const char *name)
{
    field<QPushButton>(w, name)->click();
}

// Real boxes, each handed to a check while it is up and then closed.
class LiveMessages : public MessageService {
public:
    std::function<void(QMessageBox &box)> whileUp;
    QStringList texts;
    void notify(QWidget *parent, const QString &title, const QString &text, Icon) override
    {
        texts << text;
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
        QTimer::singleShot(0, &box, [&] {
            if (whileUp)
                whileUp(box);
            box.accept();
        });
        box.exec();
    }
    bool ask(QWidget *, const QString &, const QString &) override { return false; }
};

// A click as the window system delivers it: to the window, which passes it on.
void clickAt(QWidget &window, QPoint pos)
{
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, pos);
}

}  // namespace

class TestLockScreen : public QObject {
    Q_OBJECT
private slots:
    void unlocksOnlyWithThePassword_data()
    {
        QTest::addColumn<QString>("stored");  // locksremm as Base64 of the GBK text; "-" for no key
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QString>("right");
        QTest::newRow("no key, empty entry") << "-" << "x" << "";
        QTest::newRow("no key, blanks") << "-" << "x" << "   ";
        QTest::newRow("chinese") << QStringLiteral("密码") << QStringLiteral("密") << QStringLiteral(" 密码 ");
        QTest::newRow("case counts") << "Abc" << "abc" << "Abc";
    }
    void unlocksOnlyWithThePassword()
    {
        QFETCH(QString, stored);
        QFETCH(QString, wrong);
        QFETCH(QString, right);
        Folder folder(stored == "-" ? std::string()
                                    : "locksremm=" + base64Encode(utf8ToGbk(stored.toStdString())) + "\r\n");
        ScriptedMessages messages;
        TForm_lockscreen lock(folder.dir, messages);
        QVERIFY(lock.passwordKnown());
        QCOMPARE(lock.windowTitle(), QStringLiteral("屏幕锁定"));
        QVERIFY(!(lock.windowFlags() & Qt::WindowCloseButtonHint));
        lock.show();
        type(lock, "Edit1", wrong);
        click(lock, "Button1");
        QVERIFY(lock.isVisible());
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, QStringLiteral("错误"));
        QCOMPARE(messages.shown[0].text, QStringLiteral("密码错误。"));
        type(lock, "Edit1", right);
        QTest::keyClick(field<QLineEdit>(lock, "Edit1"), Qt::Key_Return);
        QVERIFY(!lock.isVisible());
        QCOMPARE(lock.result(), int(QDialog::Accepted));
        QCOMPARE(messages.shown.size(), 1);
    }

    void nothingButThePasswordTakesItDown()
    {
        Folder folder("locksremm=" + base64Encode("pw") + "\r\n");
        ScriptedMessages messages;
        TForm_lockscreen lock(folder.dir, messages);
        lock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lock));
        QTest::keyClick(&lock, Qt::Key_F4, Qt::AltModifier);
        QTest::keyClick(field<QLineEdit>(lock, "Edit1"), Qt::Key_F4, Qt::AltModifier);
        QTest::keyClick(&lock, Qt::Key_Escape);
        QTest::keyClick(field<QLineEdit>(lock, "Edit1"), Qt::Key_Escape);
        QVERIFY(!lock.close());  // the window manager's close
        lock.reject();
        QVERIFY(lock.isVisible());
        QVERIFY(messages.shown.isEmpty());
    }

    void aClickOnAnyPartOfTheLockReachesThatPart_data()
    {
        QTest::addColumn<QString>("part");  // a child's name, or "margin" and "outside"
        QTest::addColumn<QString>("shown");  // the box it brings up, if any
        QTest::addColumn<int>("changes");    // password changes opened
        for (const char *label : {"Label1", "Label2", "Label3"})
            QTest::newRow(label) << label << "" << 0;
        QTest::newRow("the link") << "Label4" << "" << 1;
        QTest::newRow("the entry") << "Edit1" << "" << 0;
        QTest::newRow("the button") << "Button1" << QStringLiteral("密码错误。") << 0;
        QTest::newRow("the margin") << "margin" << "" << 0;
        QTest::newRow("beside the lock") << "outside" << "" << 0;
    }
    void aClickOnAnyPartOfTheLockReachesThatPart()
    {
        QFETCH(QString, part);
        QFETCH(QString, shown);
        QFETCH(int, changes);
        Folder folder("locksremm=" + base64Encode("pw") + "\r\n");
        ScriptedMessages messages;
        TForm_lockscreen lock(folder.dir, messages);
        int opened = 0;
        lock.changePassword = [&] { ++opened; };
        lock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lock));
        QVERIFY(lock.grabHolder() == &lock);
        QPoint at(3, 3);
        if (part == "outside")
            at = QPoint(lock.width() + 40, lock.height() + 40);
        else if (part != "margin")
            at = lock.findChild<QWidget *>(part)->geometry().center();
        clickAt(lock, at);
        QVERIFY(lock.isVisible());
        QCOMPARE(opened, changes);
        QCOMPARE(messages.shown.size(), shown.isEmpty() ? 0 : 1);
        if (!shown.isEmpty())
            QCOMPARE(messages.shown[0].text, shown);
        QVERIFY(lock.grabHolder() == &lock);
    }

    void theBoxesOfTheLockHoldTheGrabWhileTheyAreUp()
    {
        Folder folder("locksremm=" + base64Encode("pw") + "\r\n");
        LiveMessages messages;
        TForm_lockscreen lock(folder.dir, messages);
        QStringList holders;  // who held the grab while each box was up
        auto holderName = [&] { return lock.grabHolder() ? lock.grabHolder()->objectName() : QStringLiteral("none"); };
        messages.whileUp = [&](QMessageBox &box) {
            box.setObjectName(QStringLiteral("box %1").arg(messages.texts.size()));
            holders << holderName();
        };
        lock.changePassword = [&] {
            TForm_setmm change(folder.dir, messages, &lock);
            QTimer::singleShot(0, &change, [&] {
                holders << holderName();
                type(change, "Edit2", QStringLiteral("a"));
                type(change, "Edit3", QStringLiteral("b"));
                click(change, "Button1");  // a box over the dialog
                holders << holderName();
                change.reject();
            });
            change.exec();
        };
        lock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lock));
        click(lock, "Button1");
        QCOMPARE(messages.texts, QStringList{QStringLiteral("密码错误。")});
        QCOMPARE(holders, QStringList{"box 1"});  // the wrong-password box held the grab while it was up
        QCOMPARE(holderName(), QStringLiteral("TForm_lockscreen"));
        QTest::mouseClick(field<QLabel>(lock, "Label4"), Qt::LeftButton);
        QCOMPARE(messages.texts.last(), QStringLiteral("两次输入的密码不一致，请重新输入。"));
        QCOMPARE(holders, (QStringList{"box 1", "TForm_setmm", "box 2", "TForm_setmm"}));
        QCOMPARE(holderName(), QStringLiteral("TForm_lockscreen"));
        type(lock, "Edit1", QStringLiteral("pw"));
        click(lock, "Button1");
        QVERIFY(!lock.isVisible());
        QVERIFY(lock.grabHolder() == nullptr);
    }

    void aPasswordNobodyCanTypeDoesNotLock_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("not Base64") << "@@not base64@@";
        QTest::newRow("leading blank") << "IHB3";  // " pw": the typed entry is trimmed
        QTest::newRow("NUL bytes") << "AAAA";
        QTest::newRow("not GBK") << QString::fromStdString(base64Encode("\x81"));
    }
    void aPasswordNobodyCanTypeDoesNotLock()
    {
        QFETCH(QString, stored);
        Folder folder("locksremm=" + stored.toStdString() + "\r\n");
        ScriptedMessages messages;
        TForm_lockscreen lock(folder.dir, messages);
        QVERIFY(!lock.passwordKnown());
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, QStringLiteral("出错"));
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("locksremm")));  // how to reset it
    }

    void anAccessCodeNobodyCanTypeSaysHowToResetIt()
    {
        for (const char *stored : {"IHB3", "AAAA", "@@"}) {
            Folder folder(std::string("sndmm=") + stored + "\r\n");
            ScriptedMessages messages;
            int opened = 0;
            TForm_mm prompt(folder.dir, messages, [&] { ++opened; });
            prompt.show();
            QVERIFY(QTest::qWaitForWindowActive(&prompt));
            type(prompt, "Edit1", QStringLiteral(" pw"));
            click(prompt, "Button1");
            QCOMPARE(opened, 0);
            QCOMPARE(messages.shown.size(), 1);
            QCOMPARE(messages.shown[0].title, QStringLiteral("出错"));
            QVERIFY(messages.shown[0].text.contains(QStringLiteral("sndmm")));
        }
    }

    void changingThePasswordAppliesAtOnce()
    {
        Folder folder("locksremm=" + base64Encode(utf8ToGbk("旧")) + "\r\n");
        ScriptedMessages messages;
        TForm_lockscreen lock(folder.dir, messages);
        // The link opens the change dialog; filled in there, the new password works at once.
        lock.changePassword = [&] {
            TForm_setmm change(folder.dir, messages, &lock);
            change.show();
            type(change, "Edit1", QStringLiteral("旧"));
            type(change, "Edit2", QStringLiteral("新 密码  "));
            type(change, "Edit3", QStringLiteral("新 密码"));
            click(change, "Button1");
            QCOMPARE(change.result(), int(QDialog::Accepted));
        };
        lock.show();
        QLabel *link = field<QLabel>(lock, "Label4");
        QCOMPARE(link->text(), QStringLiteral("修改密码"));
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(folder.option("locksremm"), base64Encode(utf8ToGbk("新 密码")));
        QCOMPARE(messages.shown.last().text, QStringLiteral("修改密码成功。"));
        type(lock, "Edit1", QStringLiteral("旧"));
        click(lock, "Button1");
        QVERIFY(lock.isVisible());
        type(lock, "Edit1", QStringLiteral("新 密码 "));
        click(lock, "Button1");
        QVERIFY(!lock.isVisible());
    }

    void aPasswordChangeChecksBothEntriesBeforeWriting_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("confirmation differs") << "a" << "b" << "c" << QStringLiteral("两次输入的密码不一致，请重新输入。")
                                              << "Edit3";
        QTest::newRow("old wrong") << "x" << "b" << "b " << QStringLiteral("输入的原密码不正确，请重新输入。") << "Edit1";
    }
    void aPasswordChangeChecksBothEntriesBeforeWriting()
    {
        QFETCH(QString, old);
        QFETCH(QString, fresh);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Folder folder("locksremm=" + base64Encode("a") + "\r\n");
        ScriptedMessages messages;
        TForm_setmm change(folder.dir, messages);
        change.show();
        QVERIFY(QTest::qWaitForWindowActive(&change));
        type(change, "Edit1", old);
        type(change, "Edit2", fresh);
        type(change, "Edit3", confirm);
        click(change, "Button1");
        QVERIFY(change.isVisible());
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, QStringLiteral("出错"));
        QCOMPARE(messages.shown[0].text, message);
        QCOMPARE(change.focusWidget()->objectName(), focus);
        QCOMPARE(folder.option("locksremm"), base64Encode("a"));
        // An empty new password is allowed and cancel writes nothing.
        click(change, "Button2");
        QCOMPARE(folder.option("locksremm"), base64Encode("a"));
    }

    void theAccessPromptOpensTheSettingsOnlyWithTheCode_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("right");
        QTest::newRow("no key: empty") << "" << "";
        QTest::newRow("stored code") << QString::fromStdString("sndmm=" + base64Encode("TSL-2026") + "\r\n")
                                     << " TSL-2026 ";
    }
    void theAccessPromptOpensTheSettingsOnlyWithTheCode()
    {
        QFETCH(QString, option);
        QFETCH(QString, right);
        Folder folder(option.toStdString());
        ScriptedMessages messages;
        int opened = 0;
        TForm_mm prompt(folder.dir, messages, [&] { ++opened; });
        QCOMPARE(prompt.windowTitle(), QStringLiteral("请输入密码"));
        prompt.show();
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        type(prompt, "Edit1", QStringLiteral("wrong"));
        // Enter moves on instead of confirming.
        QTest::keyClick(field<QLineEdit>(prompt, "Edit1"), Qt::Key_Return);
        QCOMPARE(opened, 0);
        QVERIFY(messages.shown.isEmpty());
        click(prompt, "Button1");
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].text, QStringLiteral("密码错误。"));
        QCOMPARE(opened, 0);
        type(prompt, "Edit1", right);
        click(prompt, "Button1");
        QCOMPARE(opened, 1);
        QVERIFY(!prompt.isVisible());
    }
};

QTEST_MAIN(TestLockScreen)
#include "tst_lockscreen.moc"
