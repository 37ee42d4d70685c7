// The stage and the operator console on two screens of the offscreen platform:
// where each window and every question opens, the draw from the console's
// buttons, a screen unplugged during a roll, and "不在场，重抽一人".
#include "support/StageFixture.h"
#include "ui/common/GbkText.h"
#include "ui/common/StageWidgets.h"
#include "ui/console/ScreenPlacement.h"
#include "ui/console/StageMiniature.h"
#include "ui/console/TFrmConsole.h"
#include "ui/control/DrawControl.h"
#include "ui/stage/StageLayout.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/event/OperatorNotices.h"
#include "core/text/Gbk.h"
#include "core/text/Lines.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QtTest>

using namespace tessaly;

namespace {

const char *const kScreens = R"({"screens": [
  {"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768},
  {"name": "projector", "x": 1366, "y": 0, "width": 1920, "height": 1080}
]})";

QScreen *screenNamed(const QString &name)
{
    for (QScreen *s : QGuiApplication::screens())
        if (s->name() == name)
            return s;
    return nullptr;
}

// The stage opened full screen where the placement puts it, with the console.
struct Show {
    explicit Show(const std::string &settings, ScreenPlacement::Options options = {}, int entries = 30)
    {
        dir = tmp.path().toStdString();
        test::writeProgramFolder(dir, "scrolldown=0\r\n" + settings, entries);
        QScreen *screen = ScreenPlacement::stageScreenFor(dir, options);
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, screen->size());
        window->setGeometry(screen->geometry());
        window->showFullScreen();
        (void)QTest::qWaitForWindowExposed(window.get());
        placement = std::make_unique<ScreenPlacement>(*window, dir, options);
        placement->showConsole();
        window->FormShow();
        if (console())
            console()->refresh();
    }
    ~Show()
    {
        placement.reset();
        window.reset();
    }
    TFrmConsole *console() const { return placement->console(); }
    DrawSession &session() { return window->session(); }
    QPushButton *button(const char *name) const { return console()->findChild<QPushButton *>(QLatin1String(name)); }
    std::string file(const char *name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The award field of every record line, in order.
    std::string recordAwards() const
    {
        std::string out;
        for (const auto &line : splitLines(file("ARecord.dat")))
            if (!line.empty())
                out += line.substr(0, line.find('|')) + ",";
        return out;
    }

    QTemporaryDir tmp;
    std::filesystem::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
    std::unique_ptr<ScreenPlacement> placement;
};

const std::string kAwards = "Lucks=2\r\n[Grade]\r\n0=一等奖|2|1|2|电视|\r\n1=二等奖|3|2|2+1|手机|\r\n";

bool within(const QWidget *w, const QString &screen)
{
    return screenNamed(screen)->geometry().contains(w->frameGeometry().center());
}

}  // namespace

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void theStageAndTheConsoleTakeTheirScreens()
    {
        struct Case {
            const char *what;
            std::string stored;
            std::optional<std::string> override;
            QString stage, console;
            bool warned;
        } cases[] = {
            {"automatic: the projector", "", std::nullopt, "projector", "laptop", false},
            {"stored by name", "stagescreen=laptop\r\n", std::nullopt, "laptop", "projector", false},
            {"the command line wins", "stagescreen=laptop\r\n", std::string("2"), "projector", "laptop", false},
            {"an absent screen falls back", "stagescreen=VGA-9\r\n", std::nullopt, "projector", "laptop", true},
        };
        for (const Case &c : cases) {
            ScreenPlacement::Options options;
            options.stageScreen = c.override;
            Show show(c.stored + kAwards, options);
            QVERIFY2(within(show.window.get(), c.stage), c.what);
            QVERIFY2(show.console() && within(show.console(), c.console), c.what);
            QCOMPARE(show.console()->windowTitle(), QStringLiteral("Tessaly 控制台"));
            const bool warned = show.console()->warnings().join(QString()).contains(QStringLiteral("VGA-9"));
            QVERIFY2(warned == c.warned, c.what);
        }
    }

    void anAwardFromTheConsoleRecordsAsFromTheStageKeys()
    {
        std::string fromKeys, fromConsole;
        {
            Show show(kAwards);
            for (int i = 0; i < 3; ++i) {
                QTest::keyClick(show.window.get(), Qt::Key_Space);
                QTest::keyClick(show.window.get(), Qt::Key_Space);
                QTest::keyClick(show.window.get(), Qt::Key_Space);
            }
            fromKeys = show.recordAwards();
        }
        {
            Show show(kAwards);
            for (int i = 0; i < 3; ++i) {
                if (!show.session().flags().BatchReady)
                    show.button("GoButton")->click();
                show.button("GoButton")->click();
                QVERIFY(show.session().flags().Rolling);
                show.button("StopButton")->click();
            }
            fromConsole = show.recordAwards();
            QCOMPARE(show.console()->findChild<QTableWidget *>(QStringLiteral("LastBatch"))->rowCount(), 1);
        }
        QCOMPARE(fromConsole, std::string("0,0,1,1,1,"));
        QCOMPARE(fromKeys, fromConsole);
    }

    void everyQuestionOfTheDrawOpensOnTheConsoleScreen()
    {
        Show show(kAwards);
        show.s.messages.shown.clear();  // the start's question came before the console
        DrawControl &control = show.window->control();
        // Restart, asked and refused; then the whole draw and the question at its end.
        control.restart();
        for (int i = 0; i < 3; ++i) {
            if (!show.session().flags().BatchReady)
                show.button("GoButton")->click();
            show.button("GoButton")->click();
            show.button("StopButton")->click();
        }
        show.button("GoButton")->click();
        QScreen *dialogScreen = nullptr;
        test::onDialog([&](QWidget *d) { dialogScreen = d->screen(); });
        control.giveUp();
        QCOMPARE(dialogScreen ? dialogScreen->name() : QString(), QStringLiteral("laptop"));
        dialogScreen = nullptr;
        test::onDialog([&](QWidget *d) { dialogScreen = d->screen(); });
        control.supplement();
        QCOMPARE(dialogScreen ? dialogScreen->name() : QString(), QStringLiteral("laptop"));
        // A settings dialog of the stage's menu too.
        dialogScreen = nullptr;
        test::onDialog([&](QWidget *d) { dialogScreen = d->screen(); });
        show.window->openAwardSettings();
        QCOMPARE(dialogScreen ? dialogScreen->name() : QString(), QStringLiteral("laptop"));

        QVERIFY(show.s.messages.shown.size() >= 2);
        bool endOfAward = false;
        for (const auto &box : show.s.messages.shown) {
            QVERIFY2(box.parent && box.parent->screen()->name() == QStringLiteral("laptop"), qPrintable(box.text));
            endOfAward = endOfAward || box.text == QStringLiteral("奖项已抽完!是否要查看抽取结果?");
        }
        QVERIFY(endOfAward);
    }

    void aScreenUnpluggedMidRollMovesTheStageAndKeepsEverything()
    {
        Show show(kAwards);
        QScreen *projector = screenNamed(QStringLiteral("projector"));
        show.button("GoButton")->click();
        show.button("GoButton")->click();
        QVERIFY(show.session().flags().Rolling);
        const std::string settings = show.file("set.dat");
        const int ticks = show.window->tickCount();

        show.placement->screenRemoved(projector);
        QVERIFY(within(show.window.get(), QStringLiteral("laptop")));
        QCOMPARE(show.window->StageWidth(), 1366);
        QVERIFY(show.window->Timer1.isActive());
        QTRY_VERIFY(show.window->tickCount() > ticks + 2);
        QCOMPARE(show.file("set.dat"), settings);
        QVERIFY(show.console()->warnings().join(QString()).contains(QStringLiteral("已拔出")));

        show.button("StopButton")->click();
        QCOMPARE(show.session().AwardWinners()[0].size(), size_t(2));
        QCOMPARE(show.recordAwards(), std::string("0,0,"));

        // Plugged back: the stage returns with its stored layout.
        show.placement->screenAdded(projector);
        QVERIFY(within(show.window.get(), QStringLiteral("projector")));
        QCOMPARE(show.window->StageWidth(), 1920);
        QVERIFY(!show.window->layout().transient());
    }

    void theStartKeyInAConsoleTextFieldStartsNothing()
    {
        Show show(kAwards);
        auto *find = show.console()->findChild<QLineEdit *>(QStringLiteral("FindWinner"));
        QVERIFY(find);
        show.console()->activateWindow();
        find->setFocus();
        QVERIFY(show.session().flags().BatchReady);  // the start prepared the first batch
        QTest::keyClick(find, Qt::Key_Space);
        QTest::keyClick(find, Qt::Key_Space);
        QVERIFY(!show.session().flags().Rolling);
        QCOMPARE(find->text(), QStringLiteral("  "));
        // Elsewhere on the console the key works as on the stage.
        show.button("GoButton")->setFocus();
        QTest::keyClick(show.console(), Qt::Key_Space);
        QVERIFY(show.session().flags().Rolling);
    }

    void anAbsentWinnerIsReplacedByExactlyOneAlsoAfterARestart()
    {
        Show show("canready=0\r\n" + kAwards);
        for (int round = 0; round < 2; ++round) {
            show.button("GoButton")->click();
            show.button("StopButton")->click();
            const auto before = show.session().AwardWinnerNames()[0];
            QCOMPARE(before.size(), size_t(2));
            auto *redraw = show.console()->findChild<QPushButton *>(QStringLiteral("Redraw0"));
            QVERIFY(redraw);
            show.s.messages.setNextAnswer(true);
            redraw->click();
            QVERIFY(show.session().flags().Rolling);
            QCOMPARE(show.session().state().BatchSize, 1);
            show.button("StopButton")->click();
            const auto after = show.session().AwardWinnerNames()[0];
            QCOMPARE(after.size(), size_t(2));
            QCOMPARE(after[0], before[1]);
            QVERIFY(after[1] != before[0] && after[1] != before[1]);
            QCOMPARE(show.recordAwards(), std::string("0,0,"));
            // The whole draw starts over; the correction works the same on it.
            show.s.messages.setNextAnswer(true);
            show.window->control().restart();
            QCOMPARE(show.recordAwards(), std::string());
        }
    }

    void aStopWhoseSaveFailedShowsItsWinnersOnceTheRetryWroteThem()
    {
        Show show(kAwards);
        show.button("GoButton")->click();
        QVERIFY(show.session().flags().Rolling);
        // The record file cannot be appended to: it is a folder now.
        std::filesystem::remove(show.dir / "ARecord.dat");
        std::filesystem::create_directory(show.dir / "ARecord.dat");
        show.button("StopButton")->click();
        SlotLabel *slot = show.window->Labels[0];
        QCOMPARE(slot->text(), QString());
        QVERIFY(show.console()->warnings().join(QString()).contains(QStringLiteral("中奖记录没有保存")));
        QPushButton *retry = show.button("RetryButton");
        QVERIFY(retry->isVisible());

        std::filesystem::remove(show.dir / "ARecord.dat");
        std::ofstream(show.dir / "ARecord.dat", std::ios::binary);
        retry->click();
        QCOMPARE(show.recordAwards(), std::string("0,0,"));
        QVERIFY(!retry->isVisible());
        QVERIFY(!show.session().SlotTexts()[0].empty());
        QCOMPARE(slot->text(), toQt(show.session().SlotTexts()[0]));
    }

    void theOperatorsNoticesStandAmongTheWarnings()
    {
        Show show(kAwards);
        show.session().notices().post(utf8ToGbk("背景音乐无法播放"));
        QVERIFY(show.console()->warnings().join(QString()).contains(QStringLiteral("背景音乐无法播放")));
    }

    void theCommitmentTheGuestsAndTheChainAreRunFromTheConsole()
    {
        Show show("canready=0\r\n" + kAwards);
        auto *code = show.console()->findChild<QLabel *>(QStringLiteral("CommitmentValue"));
        auto *chain = show.console()->findChild<QLabel *>(QStringLiteral("ChainHashValue"));
        auto *guests = show.console()->findChild<QLabel *>(QStringLiteral("GuestNumbersValue"));
        QVERIFY(code && chain && guests);
        QCOMPARE(code->text().size(), 39);  // 8 groups of 4 hex digits
        QCOMPARE(code->text(), QString::fromStdString(show.session().captions().proofCode));

        // The link opens the guests' step on the console; a number typed there shows at once,
        // added by the button or by Enter (once, with no complaint about an empty number).
        const auto boxes = show.s.messages.shown.size();
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            edit->setText(QStringLiteral("4711"));
            dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            QTest::keyClicks(edit, QStringLiteral("815"));
            QTest::keyClick(edit, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            dialog->reject();
        });
        emit guests->linkActivated(QStringLiteral("guests"));
        QVERIFY2(guests->text().contains(QStringLiteral("4711")) && guests->text().contains(QStringLiteral("815")),
                 qPrintable(guests->text()));
        QCOMPARE(show.session().guestStep().numbers.size(), size_t(2));
        QVERIFY2(show.s.messages.shown.size() == boxes, qPrintable(show.s.messages.shown.value(boxes).text));

        // The first roll mixes the number in; after the stop the chain's hash stands on the console.
        show.button("GoButton")->click();
        show.button("StopButton")->click();
        QCOMPARE(show.session().AwardWinnerNames()[0].size(), size_t(2));
        QVERIFY(show.file("audit.log").find("guests=4711") != std::string::npos);
        show.console()->refresh();
        QTest::qWait(1100);
        QCOMPARE(chain->text(), QString::fromStdString(show.session().captions().chainHash));
        QCOMPARE(chain->text().remove(QLatin1Char(' ')).size(), 16);
        QVERIFY(!guests->text().contains(QStringLiteral("4711")));

        // The seed is revealed from the console: the chain ends with it and nothing more is drawn.
        auto *seed = show.console()->findChild<QLabel *>(QStringLiteral("SeedValue"));
        QVERIFY(seed);
        show.s.messages.setNextAnswer(true);
        emit seed->linkActivated(QStringLiteral("reveal"));
        QVERIFY(show.session().proof().revealed());
        const std::string audit = show.file("audit.log");
        QVERIFY(audit.find("|reveal|seeds=1:") != std::string::npos);
        QVERIFY2(seed->text().contains(QStringLiteral("已揭示")), qPrintable(seed->text()));
        const size_t records = show.file("ARecord.dat").size();
        show.button("GoButton")->click();
        show.button("GoButton")->click();
        QVERIFY(!show.session().flags().Rolling);
        QCOMPARE(show.file("ARecord.dat").size(), records);
    }

    void theMiniatureIsDrawnAtMostFiveTimesASecond()
    {
        Show show(kAwards);
        StageMiniature *mini = show.console()->miniature();
        show.button("GoButton")->click();
        show.button("GoButton")->click();
        const int before = mini->paints();
        QTest::qWait(1000);
        const int painted = mini->paints() - before;
        QVERIFY2(painted >= 1 && painted <= 6, qPrintable(QString::number(painted)));
    }
};

int main(int argc, char *argv[])
{
    // Two screens: the laptop's own (primary) and a projector to its right.
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("screens.json"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(kScreens) < 0)
        return 1;
    out.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toLocal8Bit());
    QApplication app(argc, argv);
    TestConsole test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_console.moc"
