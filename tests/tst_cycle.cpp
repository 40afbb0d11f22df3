#include "UnexpectedWarnings.h"
#include "playback/PlayClock.h"

#include <QTest>

class TestCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void clockCatchesUp_data()
    {
        QTest::addColumn<int>("wokenAt"); // ms of playback; the timer stood for 5 ticks
        QTest::addColumn<int>("ticks");   // taken
        QTest::addColumn<int>("next");    // ms until 3 ticks later
        QTest::newRow("on time") << 500 << 5 << 300;
        QTest::newRow("a moment early") << 499 << 5 << 300;
        QTest::newRow("half a second late") << 1037 << 10 << 263;
        QTest::newRow("stalled for a minute") << 60537 << 15 << 263;
    }

    // A late wake-up catches up with the clock, up to the ticks it may take;
    // a stall beyond them is dropped, keeping only the part of a tick.
    void clockCatchesUp()
    {
        QFETCH(int, wokenAt);
        QFETCH(int, ticks);
        QFETCH(int, next);
        PlayClock clock;
        clock.run(1000);
        QCOMPARE(clock.takeTicks(1000 + wokenAt, 5, 15), ticks);
        QCOMPARE(clock.msUntil(1000 + wokenAt, 3), qint64(next));
    }
};

QTEST_MAIN(TestCycle)
#include "tst_cycle.moc"
