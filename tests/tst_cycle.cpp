#include "UnexpectedWarnings.h"
#include "playback/DisplayCycle.h"
#include "playback/PlayClock.h"

#include <QTest>

namespace {

using Step = DisplayCycle::Step;
using Steps = DisplayCycle::Steps;

PlaybackState playback(int order, int italian, int english, int repeats)
{
    PlaybackState state;
    state.languageOrder = qint16(order);
    state.italianTime = qint16(italian);
    state.englishTime = qint16(english);
    state.repeats = qint16(repeats);
    return state;
}

} // namespace

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

    void repeatAndSkip_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("ticks"); // into the pair before the command
        QTest::addColumn<bool>("skip");
        QTest::addColumn<int>("loadsAfter"); // in the next cycle's first tick
        QTest::newRow("repeat, first line up") << 1 << 20 << false << 0;
        QTest::newRow("repeat, English first, second line up") << 0 << 50 << false << 0;
        QTest::newRow("repeat after its last cycle") << 1 << 2 * 82 << false << 0;
        QTest::newRow("next, first line up") << 1 << 20 << true << 1;
        QTest::newRow("next, English first, between lines") << 0 << 31 << true << 1;
    }

    // Repeat shows the pair again from its first line without counting it;
    // Next loads the next pair at once.
    void repeatAndSkip()
    {
        QFETCH(int, order);
        QFETCH(int, ticks);
        QFETCH(bool, skip);
        QFETCH(int, loadsAfter);
        const PlaybackState state = playback(order, 5, 3, 2);
        DisplayCycle cycle;
        cycle.advance(state); // the first pair is in
        for (int i = 1; i < ticks; ++i)
            cycle.advance(state);
        const qint16 cyclesBefore = cycle.cycle();
        const Steps cleared = skip ? cycle.skipPair(state) : cycle.repeatPair(state);
        QCOMPARE(cleared, Steps(Step::ClearItalian) | Step::ParkEnglish);
        QCOMPARE(cycle.phase(), qint16(0));
        const Steps first = cycle.advance(state);
        QCOMPARE(int(first.testFlag(Step::LoadPair)), loadsAfter);
        QCOMPARE(first.testFlag(Step::SpeakAndWave), order == 1); // the Italian is read again
        if (!skip) // not counted: the pair still has what it had left, at least one
            QCOMPARE(cycle.cycle(), std::min(cyclesBefore, qint16(1)));
    }
};

QTEST_MAIN(TestCycle)
#include "tst_cycle.moc"
