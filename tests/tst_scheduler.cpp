#include "UnexpectedWarnings.h"
#include "content/Numbering.h"
#include "playback/SentenceScheduler.h"

#include <QSet>
#include <QTest>

namespace {

PlaybackState stateFor(int playMode, int topic, int position)
{
    PlaybackState state;
    state.playMode = static_cast<qint16>(playMode);
    state.topic = static_cast<qint16>(topic);
    state.nextSentence = static_cast<qint16>(position);
    return state;
}

} // namespace

class TestScheduler : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void sequence_data()
    {
        QTest::addColumn<int>("topic");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<int>("nextPosition");

        QTest::newRow("topic last line") << 1 << 10128 << 10128 << 10129;
        QTest::newRow("topic past its last line") << 1 << 10129 << 10101 << 10102;
        QTest::newRow("topic from another page") << 3 << 10517 << 10301 << 10302;
        QTest::newRow("topic 10 line 0") << 10 << 11000 << 11001 << 11002;
        QTest::newRow("topic max 16-bit") << 9 << 32767 << 10901 << 10902;
        QTest::newRow("bad topic plays course") << 327 << 10203 << 10203 << 10204;
        QTest::newRow("entire last line of a page") << 0 << 10228 << 10228 << 10229;
        QTest::newRow("entire line 29") << 0 << 10129 << 10201 << 10202;
        QTest::newRow("entire line 0") << 0 << 11000 << 11001 << 11002;
        QTest::newRow("entire after 11928") << 0 << 11929 << 10101 << 10102;
        QTest::newRow("entire beyond corpus") << 0 << 12050 << 10101 << 10102;
        QTest::newRow("entire max 16-bit") << 0 << 32767 << 10101 << 10102;
        QTest::newRow("entire min 16-bit") << 0 << -32768 << 10101 << 10102;
    }

    void sequence()
    {
        QFETCH(int, topic);
        QFETCH(int, position);
        QFETCH(int, loaded);
        QFETCH(int, nextPosition);
        PlaybackState state = stateFor(5, topic, position); // any mode but 0 plays in sequence
        const auto choice = SentenceScheduler(7).next(state);
        QCOMPARE(int(choice.sentence), loaded);
        QVERIFY(choice.sequence);
        QCOMPARE(int(state.nextSentence), nextPosition);
    }

    void random_data()
    {
        QTest::addColumn<int>("topic");
        QTest::newRow("topic 1") << 1;
        QTest::newRow("topic 10") << 10;
        QTest::newRow("entire") << 0;
    }

    void random()
    {
        QFETCH(int, topic);
        PlaybackState state = stateFor(0, topic, 10517);
        SentenceScheduler scheduler(static_cast<std::uint32_t>(topic + 99));
        QSet<int> pages, lines;
        for (int i = 0; i < 3000; ++i) {
            const auto choice = scheduler.next(state);
            QVERIFY(!choice.sequence && Numbering::isSentence(choice.sentence));
            QCOMPARE(int(scheduler.lastRandomSentence()), int(choice.sentence));
            pages.insert(Numbering::page(choice.sentence));
            lines.insert(Numbering::line(choice.sentence));
        }
        // Every line (and, over the course, every page) can come up, and no other.
        QCOMPARE(pages.size(), topic ? 1 : Numbering::kLastPage);
        QVERIFY(topic == 0 || pages.contains(topic));
        QCOMPARE(lines.size(), Numbering::kLinesPerPage);
        QCOMPARE(int(state.nextSentence), 10517); // the sequence position is left alone
    }
};

QTEST_APPLESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
