// The tips window writes showhint only through its check box, and offers no
// check box when opened from the help menu.
#include "support/ScriptedMessages.h"
#include "ui/stage/TFrmSplash.h"

#include "core/settings/Settings.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void checkBoxWritesShowhint()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        test::ScriptedMessages messages;
        TFrmSplash splash(dir, messages, false);
        splash.setAttribute(Qt::WA_DeleteOnClose, false);
        auto *box = splash.findChild<QCheckBox *>(QStringLiteral("CheckBox1"));
        QVERIFY(box && !box->isChecked());
        auto showhint = [&] { return openSettings(dir)->readString("Option", "showhint", "absent"); };
        QCOMPARE(showhint(), std::string("absent"));
        box->click();
        QCOMPARE(showhint(), std::string("0"));
        box->click();
        QCOMPARE(showhint(), std::string("1"));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(splash.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))
                    ->toPlainText()
                    .contains(QStringLiteral("菜单\"重新开始抽奖\"就可以按照之")));
    }

    void fromTheMenuThereIsNoCheckBox()
    {
        QTemporaryDir tmp;
        test::ScriptedMessages messages;
        TFrmSplash splash(tmp.path().toStdString(), messages, true);
        splash.show();
        QVERIFY(!splash.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isVisible());
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
