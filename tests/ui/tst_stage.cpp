// The stage window driven offscreen through a whole draw of the shipped demo
// data with the start key, then checked in the record files.
#include "support/TestServices.h"
#include "ui/common/StageWidgets.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TSkyScrollText.h"

#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <set>
#include <fstream>

using namespace tessaly;

namespace {

std::string readAll(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Stage {
    Stage()
    {
        dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, QSize(1024, 768));
        window->resize(1024, 768);
        window->show();
        window->FormShow();
    }
    void press(Qt::Key key)
    {
        QTest::keyPress(window.get(), key);
        QTest::keyRelease(window.get(), key);
    }
    QTemporaryDir tmp;
    std::filesystem::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
};

}  // namespace

class TestStage : public QObject {
    Q_OBJECT
private slots:
    void firstStartLaysOutTheStageAndPreparesABatch()
    {
        Stage st;
        QCOMPARE(st.window->windowTitle(), QStringLiteral("Tessaly抽奖软件 V3.55"));
        auto settings = openSettings(st.dir);
        QCOMPARE(settings->readString("Option", "onerun"), std::string("0"));
        QCOMPARE(settings->readString("Option", "screenmain"), std::string("1024*768"));
        // The automatic layout puts the marquee at the bottom and centres the buttons.
        QCOMPARE(st.window->RzMarqueeStatus1->geometry().top(), 768 - 44);  // its stored height
        QCOMPARE(st.window->GoButton->text(), QStringLiteral("开始"));
        QVERIFY(!st.window->Status->caption().isEmpty());
        QVERIFY(st.s.messages.shown.isEmpty());
    }

    void theStartKeyRunsTheWholeDraw()
    {
        Stage st;
        DrawSession &session = st.window->session();
        int stops = 0;
        for (int guard = 0; guard < 200 && !session.IsDrawComplete(); ++guard) {
            if (!session.flags().BatchReady)
                st.press(Qt::Key_Space);  // prepare
            st.press(Qt::Key_Space);      // start
            QVERIFY(session.flags().Rolling);
            QTest::qWait(30);
            st.press(Qt::Key_Space);      // stop
            QVERIFY(!session.flags().Rolling);
            QVERIFY(st.window->FirstTitle->isVisible());
            QVERIFY(!st.window->Status->caption().isEmpty());
            ++stops;
        }
        QVERIFY(session.IsDrawComplete());
        QCOMPARE(stops, 8);  // 1 + 1 + 2 + 2 + 2 batches of the demo awards
        // One record line per winner and an empty line after every batch; nobody twice.
        std::vector<std::string> records;
        for (const auto &l : splitLines(readAll(st.dir / "ARecord.dat")))
            if (!l.empty())
                records.push_back(l.substr(l.find('|') + 1));
        QCOMPARE(records.size(), size_t(1 + 3 + 10 + 30 + 60));
        QCOMPARE(std::set<std::string>(records.begin(), records.end()).size(), records.size());

        // The next press asks about the results; a restart shows the draw as complete.
        st.s.messages.setNextAnswer(false);
        st.press(Qt::Key_Space);
        QVERIFY(!st.s.messages.shown.isEmpty());
        QCOMPARE(st.s.messages.shown.last().text, QStringLiteral("奖项已抽完!是否要查看抽取结果?"));
        // The drawn marks, the position and the history agree with the record.
        size_t marked = 0;
        for (const auto &line : splitLines(readAll(st.dir / "colip.jpg")))
            marked += line == "|ISOK|" ? 1 : 0;
        QCOMPARE(marked, records.size());
        QVERIFY(!splitLines(readAll(st.dir / "tmda.jpg")).empty());
        auto settings = openSettings(st.dir);
        QCOMPARE(settings->readString("Option", "currentLucki"), std::string("0"));  // the first award, drawn last
        QCOMPARE(settings->readString("Option", "currentSxtimes"), std::string("2"));
        QCOMPARE(settings->readString("Option", "currentovernum"), std::string("1"));
        const std::string logBeforeClose = readAll(st.dir / "log.txt");
        st.window->close();
        const std::string log = readAll(st.dir / "log.txt");
        QVERIFY(log.size() > logBeforeClose.size());  // the closing block
        QVERIFY(log.rfind(utf8ToGbk("特等奖")) > logBeforeClose.size());

        test::TestServices again;
        TFrmMain restarted(st.dir, {again.messages, again.opener, again.pickers}, QSize(1024, 768));
        restarted.resize(1024, 768);
        restarted.show();
        restarted.FormShow();
        QCOMPARE(restarted.readyLuck->caption(), QStringLiteral("    抽取完毕    "));
    }

    void closingInTheMiddleAsksFirst()
    {
        Stage st;
        st.press(Qt::Key_Space);
        st.press(Qt::Key_Space);
        st.s.messages.setNextAnswer(false);
        QVERIFY(!st.window->close());
        QCOMPARE(st.s.messages.shown.last().text, QStringLiteral("奖项还未抽取完毕，是否要退出?"));
        QVERIFY(st.window->isVisible());
        st.s.messages.setNextAnswer(true);
        QVERIFY(st.window->close());
    }

    void adjustmentModeSavesMovedElements()
    {
        Stage st;
        st.window->NA2Click();
        QVERIFY(st.window->adjustMode());
        st.window->FirstTitle->move(123, 45);
        QTest::keyClick(st.window.get(), Qt::Key_Escape);  // ends the mode and saves
        QVERIFY(!st.window->adjustMode());
        auto settings = openSettings(st.dir);
        QCOMPARE(settings->readInteger("FirstTitle", "Left", 0), 123);
        QCOMPARE(settings->readInteger("FirstTitle", "Top", 0), 45);
        // While the mode is on the draw cannot start.
        st.window->NA2Click();
        st.press(Qt::Key_Space);
        QVERIFY(!st.window->session().flags().Rolling);
    }
};

QTEST_MAIN(TestStage)
#include "tst_stage.moc"
