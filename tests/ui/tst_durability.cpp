// What the operator sees when the records cannot be written or the mirror
// falls behind: a stop whose save failed shows nobody, on the stage or the
// console, until the retry writes it; the mirror folder is chosen in
// "同步备份..." and its state and both commit counters stand on the console.
#include "support/StageFixture.h"
#include "ui/common/GbkText.h"
#include "ui/common/StageWidgets.h"
#include "ui/console/ScreenPlacement.h"
#include "ui/console/TFrmConsole.h"
#include "ui/control/DrawControl.h"
#include "ui/effects/TAALabel.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/files/EventMirror.h"
#include "core/files/FileObserver.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <cerrno>

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

const std::string kAwards = "canready=0\r\nLucks=1\r\n[Grade]\r\n0=一等奖|4|2|2+2|电视|\r\n";

// The stage on the one offscreen screen, with the console beside it when asked for.
struct Show {
    explicit Show(bool console)
    {
        dir = tmp.path().toStdString();
        test::writeProgramFolder(dir, "scrolldown=0\r\n" + kAwards, 30);
        ScreenPlacement::Options options;
        options.consoleAsked = console;
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, QSize(1024, 768));
        window->resize(1024, 768);
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        placement = std::make_unique<ScreenPlacement>(*window, dir, options);
        placement->showConsole();
        window->FormShow();
        if (placement->console())
            placement->console()->refresh();
        QObject::connect(&window->control(), &DrawControl::happened, [this](const DrawEvent &e) { events.push_back(e); });
    }
    ~Show()
    {
        placement.reset();
        window.reset();
    }
    TFrmConsole *console() const { return placement->console(); }
    DrawSession &session() { return window->session(); }
    template <typename T>
    T *consoleChild(const char *name) const
    {
        return console()->findChild<T *>(QLatin1String(name));
    }
    QString consoleField(const char *name) const { return consoleChild<QLabel>(name)->text(); }
    std::string value(const char *section, const char *key) { return openSettings(dir)->readString(section, key); }
    std::string file(const char *name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The names any event carried so far.
    int namesAnnounced() const
    {
        int n = 0;
        for (const DrawEvent &e : events)
            n += static_cast<int>(e.winners.size());
        return n;
    }
    // Every caption the audience can read on the stage.
    QString stageTexts() const
    {
        QString all = window->RzMarqueeStatus1->text();
        for (const TAALabel *label : window->findChildren<TAALabel *>())
            all += label->caption();
        for (const SlotLabel *slot : window->Labels)
            all += slot->text();
        return all;
    }
    void breakRecords()
    {
        // The record file cannot be appended to: it is a folder now.
        fs::remove(dir / "ARecord.dat");
        fs::create_directory(dir / "ARecord.dat");
    }
    void mendRecords()
    {
        fs::remove(dir / "ARecord.dat");
        std::ofstream(dir / "ARecord.dat", std::ios::binary);
    }

    QTemporaryDir tmp;
    fs::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
    std::unique_ptr<ScreenPlacement> placement;
    std::vector<DrawEvent> events;
};

// Fails every step of the file layer inside one folder while `error` is set.
class FailingFolder : public FileObserver {
public:
    explicit FailingFolder(fs::path folder) : m_folder(std::move(folder)) { setFileObserver(this); }
    ~FailingFolder() override { setFileObserver(nullptr); }
    int before(const FileStep &step) override
    {
        return step.path.string().rfind(m_folder.string(), 0) == 0 ? error.load() : 0;
    }
    std::atomic<int> error{0};

private:
    fs::path m_folder;
};

}  // namespace

class TestDurability : public QObject {
    Q_OBJECT

private slots:
    void aStopWhoseSaveFailedShowsItsWinnersOnlyOnceTheRetryWroteThem_data()
    {
        QTest::addColumn<bool>("console");
        QTest::newRow("one screen: the tool bar's status line") << false;
        QTest::newRow("the console") << true;
    }

    void aStopWhoseSaveFailedShowsItsWinnersOnlyOnceTheRetryWroteThem()
    {
        QFETCH(bool, console);
        Show show(console);
        QCOMPARE(show.console() != nullptr, console);
        show.window->control().start();
        QVERIFY(show.session().flags().Rolling);
        const QString marqueeBefore = show.window->RzMarqueeStatus1->text();
        show.breakRecords();
        show.window->control().stop();

        // Drawn, but not on disk: nobody is shown anywhere, and the operator is offered the retry.
        QCOMPARE(show.session().AwardWinners()[0].size(), size_t(2));
        const std::string first = show.session().AwardWinners()[0][0];
        QVERIFY(!show.stageTexts().contains(toQt(first)));
        QCOMPARE(show.window->RzMarqueeStatus1->text(), marqueeBefore);
        QCOMPARE(show.namesAnnounced(), 0);
        QToolButton *stageRetry = show.window->RetryButton;
        QPushButton *consoleRetry = console ? show.consoleChild<QPushButton>("RetryButton") : nullptr;
        if (console) {
            QVERIFY(show.console()->warnings().join(QString()).contains(QStringLiteral("中奖记录没有保存")));
            QVERIFY(consoleRetry->isVisible());
            QCOMPARE(show.consoleChild<QTableWidget>("LastBatch")->rowCount(), 0);
            // The stage's own bar says nothing: the projector shows the audience's stage only.
            QVERIFY(show.window->StatusLine->text().isEmpty());
            QVERIFY(!stageRetry->isVisible());
        } else {
            QVERIFY(show.window->ControlBar1->isVisible());
            QVERIFY(show.window->StatusLine->text().contains(QStringLiteral("保存失败")));
            QVERIFY(stageRetry->isVisible());
        }
        // A start while the save is owed draws nothing more.
        show.window->control().start();
        QVERIFY(!show.session().flags().Rolling);

        // A retry that fails again changes nothing.
        if (console)
            consoleRetry->click();
        else
            stageRetry->click();
        QVERIFY(!show.stageTexts().contains(toQt(first)));
        QCOMPARE(show.namesAnnounced(), 0);

        show.mendRecords();
        if (console)
            consoleRetry->click();
        else
            stageRetry->click();
        QVERIFY(show.file("ARecord.dat").find(first) != std::string::npos);
        QCOMPARE(show.window->Labels[0]->text(), toQt(show.session().SlotTexts()[0]));
        QVERIFY(show.stageTexts().contains(toQt(first)));
        QVERIFY(show.window->RzMarqueeStatus1->text().contains(toQt(first)));
        QCOMPARE(show.namesAnnounced(), 2);
        QVERIFY(!stageRetry->isVisible());
        if (console) {
            QVERIFY(!consoleRetry->isVisible());
            QTableWidget *last = show.consoleChild<QTableWidget>("LastBatch");
            QCOMPARE(last->rowCount(), 2);
            QCOMPARE(last->item(0, 0)->text(), toQt(first));
        } else {
            QVERIFY(!show.window->StatusLine->text().contains(QStringLiteral("保存失败")));
        }
    }

    void theMirrorFolderIsCheckedStoredAndFollowedOnTheConsole()
    {
        Show show(true);
        QVERIFY(ensureEventId(show.dir).ok());
        QTemporaryDir sticks;
        const fs::path other = fs::path(sticks.path().toStdString()) / "other";
        const fs::path stick = fs::path(sticks.path().toStdString()) / "备份";
        fs::create_directories(other);
        std::ofstream(other / "event.id", std::ios::binary) << "0123456789abcdef0123456789abcdef\r\n";
        QVERIFY(show.consoleField("MirrorFolderValue").contains(QStringLiteral("未设置")));

        // Another event's mirror is refused and the dialog stays open; the chooser's folder is taken.
        bool acceptedFirst = true;
        show.s.pickers.setNextFile(QString::fromStdString(stick.string()));
        test::onDialog([&](QWidget *dialog) {
            test::field<QLineEdit>(dialog, "Edit1")->setText(QString::fromStdString(other.string()));
            test::field<QPushButton>(dialog, "Button1")->click();
            acceptedFirst = !dialog->isVisible();
            test::field<QPushButton>(dialog, "Button3")->click();
            QCOMPARE(test::field<QLineEdit>(dialog, "Edit1")->text(), QString::fromStdString(stick.string()));
            test::field<QPushButton>(dialog, "Button1")->click();
        });
        show.window->openMirrorSettings();
        QVERIFY(!acceptedFirst);
        QVERIFY(show.s.messages.shown.size() >= 1);
        QVERIFY(show.s.messages.shown.back().text.contains(QStringLiteral("另一个活动的备份")));
        QCOMPARE(gbkToUtf8(show.value("Option", "mirrorfolder")), stick.string());
        QCOMPARE(show.session().mirrorFolder(), stick);
        QCOMPARE(readEventId(stick), readEventId(show.dir));
        QCOMPARE(readEventId(other), std::string("0123456789abcdef0123456789abcdef"));

        QVERIFY(show.consoleField("MirrorFolderValue").contains(QStringLiteral("备份")));
        QVERIFY(show.consoleField("MirrorStateValue").startsWith(QStringLiteral("正常")));
        show.window->control().start();
        show.window->control().stop();
        const long long saves = readCommitCount(show.dir).count;
        QVERIFY(saves > 0);
        QCOMPARE(readCommitCount(stick).count, saves);
        QCOMPARE(show.consoleField("CommitCountsValue"), QStringLiteral("%1 / %1").arg(saves));

        {
            // The stick is pulled: the draw goes on, the console says so, the audience sees nothing of it.
            FailingFolder pulled(stick);
            pulled.error = EIO;
            show.window->control().start();
            show.window->control().stop();
            QCOMPARE(show.session().AwardWinners()[0].size(), size_t(4));
            QVERIFY(show.consoleField("MirrorStateValue").startsWith(QStringLiteral("备份中断")));
            QVERIFY(show.console()->warnings().join(QString()).contains(QStringLiteral("备份中断")));
            QVERIFY(!show.stageTexts().contains(QStringLiteral("备份")));
            QVERIFY(!show.window->windowTitle().contains(QStringLiteral("备份")));
            QCOMPARE(show.consoleField("CommitCountsValue"), QStringLiteral("%1 / %2").arg(saves + 1).arg(saves));
        }
        // Back in: the next look at the mirror copies what it missed.
        show.window->control().apply({});
        QVERIFY(show.consoleField("MirrorStateValue").startsWith(QStringLiteral("正常")));
        QCOMPARE(readCommitCount(stick).count, saves + 1);
        QCOMPARE(show.consoleField("CommitCountsValue"), QStringLiteral("%1 / %1").arg(saves + 1));
        QVERIFY(!show.console()->warnings().join(QString()).contains(QStringLiteral("备份中断")));

        // Emptied, the mirror is off and the stick left as it is.
        test::onDialog([](QWidget *dialog) {
            test::field<QLineEdit>(dialog, "Edit1")->clear();
            test::field<QPushButton>(dialog, "Button1")->click();
        });
        show.window->openMirrorSettings();
        QVERIFY(show.session().mirrorFolder().empty());
        QCOMPARE(show.value("Option", "mirrorfolder"), std::string());
        QVERIFY(show.consoleField("MirrorFolderValue").contains(QStringLiteral("未设置")));
        QCOMPARE(readCommitCount(stick).count, saves + 1);
    }
};

QTEST_MAIN(TestDurability)
#include "tst_durability.moc"
