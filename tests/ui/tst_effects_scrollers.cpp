// The two scrollers under a hand-driven clock: exact steps per tick, re-entry
// from the opposite edge, pauses, passes and repeats, and no drift.
#include "support/ManualTickClock.h"
#include "ui/common/AppSetup.h"
#include "ui/effects/TAAScrollText.h"
#include "ui/effects/TSkyScrollText.h"
#include "ui/effects/TickSchedule.h"

#include <QtTest>
#include <random>

using namespace tessaly;
using test::ManualTickClock;

namespace {

// A plain scroller 300 by 100 with a short text, stepping 5 pixels every 100 ms.
struct Sky {
    ManualTickClock clock;
    TSkyScrollText scroller;

    explicit Sky(ScrollDirection direction, const QString &text = QStringLiteral("中奖"))
    {
        scroller.setClock(&clock);
        scroller.resize(300, 100);
        scroller.setScrollDirection(direction);
        scroller.setAlignment(TextAlignment::Center);
        scroller.setText(text);
        scroller.setStep(5);
        scroller.setInterval(100);
        scroller.restart();
    }
    // Moves the clock by whole intervals and lets the due ticks run.
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.advance(scroller.interval());
            scroller.processDueTicks();
        }
    }
};

struct Aa {
    ManualTickClock clock;
    TAAScrollText scroller;

    Aa()
    {
        scroller.setClock(&clock);
        scroller.resize(300, 200);
        scroller.setRepeatDelay(0);
        scroller.setScrollDelay(50);
        scroller.setLines({QStringLiteral("一等奖(1名)"), QStringLiteral("张三")});
        scroller.setHeadSpace(10);
        scroller.setTailSpace(30);
        scroller.rewind();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.advance(scroller.scrollDelay());
            scroller.processDueTicks();
        }
    }
};

}  // namespace

class TestScrollers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }

    void thePlainScrollerMovesOneStepPerTick_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QPoint>("move");
        QTest::newRow("left") << int(ScrollDirection::sdLeft) << QPoint(-5, 0);
        QTest::newRow("right") << int(ScrollDirection::sdRight) << QPoint(5, 0);
        QTest::newRow("up") << int(ScrollDirection::sdUp) << QPoint(0, -5);
        QTest::newRow("down") << int(ScrollDirection::sdDown) << QPoint(0, 5);
    }

    void thePlainScrollerMovesOneStepPerTick()
    {
        QFETCH(int, direction);
        QFETCH(QPoint, move);
        Sky sky{ScrollDirection(direction)};
        const QPoint start = sky.scroller.textPosition();
        sky.clock.advance(99);
        sky.scroller.processDueTicks();
        QCOMPARE(sky.scroller.textPosition(), start);
        sky.clock.advance(1);
        sky.scroller.processDueTicks();
        QCOMPARE(sky.scroller.textPosition(), start + move);
        // A late wake-up catches up the ticks it missed, and no more.
        sky.clock.advance(350);
        sky.scroller.processDueTicks();
        QCOMPARE(sky.scroller.textPosition(), start + 4 * move);
        sky.clock.advance(50);
        sky.scroller.processDueTicks();
        QCOMPARE(sky.scroller.textPosition(), start + 5 * move);
    }

    void stepZeroStandsStillAndInactiveDoesNotMove()
    {
        Sky sky(ScrollDirection::sdLeft);
        const QPoint start = sky.scroller.textPosition();
        sky.scroller.setStep(0);
        sky.ticks(50);
        QCOMPARE(sky.scroller.textPosition(), start);
        sky.scroller.setStep(5);
        sky.scroller.setActive(false);
        sky.ticks(10);
        QCOMPARE(sky.scroller.textPosition(), start);
        sky.scroller.setActive(true);
        sky.ticks(2);
        QCOMPARE(sky.scroller.textPosition(), start + QPoint(-10, 0));
    }

    void theTextReentersFromTheOppositeEdge_data()
    {
        QTest::addColumn<int>("direction");
        QTest::newRow("left") << int(ScrollDirection::sdLeft);
        QTest::newRow("right") << int(ScrollDirection::sdRight);
        QTest::newRow("up") << int(ScrollDirection::sdUp);
        QTest::newRow("down") << int(ScrollDirection::sdDown);
    }

    void theTextReentersFromTheOppositeEdge()
    {
        QFETCH(int, direction);
        const auto d = ScrollDirection(direction);
        Sky sky(d);
        const QSize text = sky.scroller.textSize();
        const QSize area = sky.scroller.size();
        // Steps until the whole text has left, counted from where it rests.
        QPoint pos = sky.scroller.textPosition();
        int ticks = 0;
        auto outside = [&](QPoint p) {
            switch (d) {
            case ScrollDirection::sdLeft:
                return p.x() + text.width() <= 0;
            case ScrollDirection::sdRight:
                return p.x() >= area.width();
            case ScrollDirection::sdUp:
                return p.y() + text.height() <= 0;
            case ScrollDirection::sdDown:
                return p.y() >= area.height();
            }
            return false;
        };
        const QPoint step = d == ScrollDirection::sdLeft    ? QPoint(-5, 0)
                            : d == ScrollDirection::sdRight ? QPoint(5, 0)
                            : d == ScrollDirection::sdUp    ? QPoint(0, -5)
                                                            : QPoint(0, 5);
        while (!outside(pos + step)) {
            pos += step;
            ++ticks;
        }
        sky.ticks(ticks);
        QCOMPARE(sky.scroller.textPosition(), pos);
        sky.ticks(1);
        const QPoint reentry = sky.scroller.textPosition();
        switch (d) {
        case ScrollDirection::sdLeft:
            QCOMPARE(reentry, QPoint(area.width(), pos.y()));
            break;
        case ScrollDirection::sdRight:
            QCOMPARE(reentry, QPoint(-text.width(), pos.y()));
            break;
        case ScrollDirection::sdUp:  // just below the bottom edge
            QCOMPARE(reentry, QPoint(pos.x(), area.height()));
            break;
        case ScrollDirection::sdDown:
            QCOMPARE(reentry, QPoint(pos.x(), -text.height()));
            break;
        }
        sky.ticks(1);
        QCOMPARE(sky.scroller.textPosition(), reentry + step);
    }

    void noDriftOverAMinuteOfIrregularWakeUps()
    {
        Sky sky(ScrollDirection::sdRight);
        sky.scroller.resize(5000, 40);
        sky.scroller.setStep(1);
        sky.scroller.setInterval(60);
        sky.scroller.restart();
        const int start = sky.scroller.textPosition().x();
        std::mt19937 random(7);
        qint64 elapsed = 0;
        while (elapsed < 60000) {
            const qint64 wait = std::min<qint64>(std::uniform_int_distribution<int>(1, 250)(random), 60000 - elapsed);
            sky.clock.advance(wait);
            elapsed += wait;
            sky.scroller.processDueTicks();
        }
        QCOMPARE(sky.scroller.textPosition().x() - start, 1000);
    }

    void aNewIntervalCountsFromTheLastTick()
    {
        Sky sky(ScrollDirection::sdLeft);
        const QPoint start = sky.scroller.textPosition();
        sky.ticks(1);
        sky.clock.advance(30);
        sky.scroller.setInterval(500);
        sky.clock.advance(469);
        sky.scroller.processDueTicks();
        QCOMPARE(sky.scroller.textPosition(), start + QPoint(-5, 0));
        sky.clock.advance(1);
        sky.scroller.processDueTicks();
        QCOMPARE(sky.scroller.textPosition(), start + QPoint(-10, 0));
    }

    void thePlainScrollerRestsAfterEverySecondStep_data()
    {
        QTest::addColumn<bool>("alignToLine");
        QTest::addColumn<int>("secondInterval");
        QTest::addColumn<QString>("pattern");  // per tick: m moves, r rests
        QTest::newRow("every 10 px, 3 ticks") << false << 300 << QStringLiteral("mmrrrmmrrrmm");
        QTest::newRow("rest rounds down") << false << 250 << QStringLiteral("mmrrmmrrmm");
        QTest::newRow("shorter than a tick: no rest") << false << 99 << QStringLiteral("mmmmmmmm");
        QTest::newRow("default 0: no rest") << false << 0 << QStringLiteral("mmmmmmmm");
    }

    void thePlainScrollerRestsAfterEverySecondStep()
    {
        QFETCH(bool, alignToLine);
        QFETCH(int, secondInterval);
        QFETCH(QString, pattern);
        Sky sky(ScrollDirection::sdUp);
        sky.scroller.resize(300, 2000);
        sky.scroller.setLayout(TextLayout::Bottom);
        sky.scroller.restart();
        sky.scroller.setAlignToLine(alignToLine);
        sky.scroller.setSecondStep(10);
        sky.scroller.setSecondInterval(secondInterval);
        QString seen;
        for (int i = 0; i < pattern.size(); ++i) {
            const QPoint before = sky.scroller.textPosition();
            sky.ticks(1);
            seen += sky.scroller.textPosition() == before ? QLatin1Char('r') : QLatin1Char('m');
        }
        QCOMPARE(seen, pattern);
    }

    void withAlignToLineTheRestComesAfterWholeLines()
    {
        Sky sky(ScrollDirection::sdUp, QStringLiteral("一\n二\n三\n四"));
        sky.scroller.resize(300, 2000);
        sky.scroller.setLayout(TextLayout::Bottom);
        sky.scroller.restart();
        const int line = QFontMetrics(sky.scroller.font()).lineSpacing();
        sky.scroller.setStep(1);
        sky.scroller.setSecondStep(1);
        sky.scroller.setSecondInterval(200);  // two ticks
        const QPoint start = sky.scroller.textPosition();
        sky.ticks(line);
        QCOMPARE(sky.scroller.textPosition(), start - QPoint(0, line));
        sky.ticks(2);
        QCOMPARE(sky.scroller.textPosition(), start - QPoint(0, line));
        sky.ticks(1);
        QCOMPARE(sky.scroller.textPosition(), start - QPoint(0, line + 1));
    }

    void newTextStartsFromItsRestingPlace()
    {
        Sky sky(ScrollDirection::sdUp);
        sky.scroller.setAlignment(TextAlignment::Center);
        sky.scroller.setLayout(TextLayout::Top);
        sky.ticks(7);
        sky.scroller.setText(QStringLiteral("一等奖(3名)\n张三  李四  王五"));
        const QSize text = sky.scroller.textSize();
        QCOMPARE(sky.scroller.textPosition(), QPoint((300 - text.width()) / 2, 0));
    }

    void theEffectScrollerRisesOneStepPerTickThroughItsStrip()
    {
        Aa aa;
        const QFontMetrics fm(aa.scroller.font());
        const int pitch = fm.height() * 120 / 100;
        QCOMPARE(aa.scroller.stripHeight(), 10 + pitch + fm.height() + 30);
        aa.scroller.setRowPitch(-100);  // lines on top of each other
        QCOMPARE(aa.scroller.stripHeight(), 10 + fm.height() + 30);
        aa.scroller.setRowPitch(20);

        aa.scroller.setScrollStep(7);
        aa.ticks(3);
        QCOMPARE(aa.scroller.position(), 21);
        aa.scroller.setScrollStep(2);
        aa.ticks(1);
        QCOMPARE(aa.scroller.position(), 23);
        // At the strip's end the window wraps to its start and a pass is counted.
        const int strip = aa.scroller.stripHeight();
        aa.scroller.setScrollStep(strip - 24);
        aa.ticks(1);
        QCOMPARE(aa.scroller.position(), strip - 1);
        QCOMPARE(aa.scroller.passCount(), 0);
        aa.scroller.setScrollStep(3);
        aa.ticks(1);
        QCOMPARE(aa.scroller.position(), 2);
        QCOMPARE(aa.scroller.passCount(), 1);
    }

    void theEffectScrollerStopsAfterItsRepeatCount()
    {
        Aa aa;
        aa.scroller.setRepeatCount(2);
        aa.scroller.setScrollStep(aa.scroller.stripHeight() / 4 + 1);  // four ticks a pass
        QSignalSpy stopped(&aa.scroller, &TAAScrollText::activeChanged);
        aa.ticks(4);
        QCOMPARE(aa.scroller.passCount(), 1);
        QVERIFY(aa.scroller.active());
        aa.ticks(4);
        QCOMPARE(aa.scroller.passCount(), 2);
        QVERIFY(!aa.scroller.active());
        QCOMPARE(stopped.size(), 1);
        const int position = aa.scroller.position();
        aa.ticks(20);
        QCOMPARE(aa.scroller.position(), position);
        // Switched on again, it runs its passes anew.
        aa.scroller.setActive(true);
        aa.ticks(4);
        QCOMPARE(aa.scroller.passCount(), 1);
        QVERIFY(aa.scroller.active());
    }

    void withoutRepeatCountItScrollsOnPausingAtEachPassStart()
    {
        Aa aa;
        aa.scroller.setRepeatDelay(500);
        aa.scroller.setScrollStep(aa.scroller.stripHeight());  // every tick ends a pass
        aa.ticks(1);
        QCOMPARE(aa.scroller.passCount(), 1);
        for (int pass = 2; pass <= 6; ++pass) {
            QVERIFY(aa.scroller.pausing());
            // The next tick comes RepeatDelay later than usual.
            aa.clock.advance(549);
            aa.scroller.processDueTicks();
            QCOMPARE(aa.scroller.passCount(), pass - 1);
            aa.clock.advance(1);
            aa.scroller.processDueTicks();
            QCOMPARE(aa.scroller.passCount(), pass);
        }
        QVERIFY(aa.scroller.active());
    }

    void switchingOnAtTheStripStartWaitsTheRepeatDelayFirst()
    {
        Aa aa;
        aa.scroller.setActive(false);
        aa.scroller.setRepeatDelay(2000);
        aa.scroller.setActive(true);
        aa.clock.advance(2049);
        aa.scroller.processDueTicks();
        QCOMPARE(aa.scroller.position(), 0);
        aa.clock.advance(1);
        aa.scroller.processDueTicks();
        QCOMPARE(aa.scroller.position(), 1);
        // Switched off and on midway, it carries on without a pause.
        aa.scroller.setActive(false);
        aa.scroller.setActive(true);
        aa.ticks(1);
        QCOMPARE(aa.scroller.position(), 2);
    }

    void withoutAutoUpdateNewLinesWaitForUpdateText()
    {
        Aa aa;
        const int strip = aa.scroller.stripHeight();
        aa.scroller.setAutoUpdate(false);
        aa.scroller.setLines({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QCOMPARE(aa.scroller.stripHeight(), strip);
        aa.scroller.updateText();
        QVERIFY(aa.scroller.stripHeight() > strip);
    }

    void theScheduleNeverDrifts()
    {
        TickSchedule schedule;
        schedule.start(0, 60);
        int ticks = 0;
        for (qint64 now = 0; now < 60000 + 7; now += 7)
            while (schedule.takeDue(std::min<qint64>(now, 60000)))
                ++ticks;
        QCOMPARE(ticks, 1000);
    }
};

QTEST_MAIN(TestScrollers)
#include "tst_effects_scrollers.moc"
