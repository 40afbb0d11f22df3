#include "app/SentenceScheduler.h"
#include "content/Numbering.h"

#include <QSet>
#include <QTest>

class TestScheduler : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sequence_data();
    void sequence();
    void sequenceWalksTopicInOrderAndWraps();
    void sequenceWalksWholeCourse();
    void randomInTopic_data();
    void randomInTopic();
    void randomWholeCourseCoversEveryPage();
    void randomLeavesPositionAlone();
    void outOfRangeTopicPlaysCourse();
};

void TestScheduler::sequence_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("loaded");
    QTest::addColumn<int>("nextPosition");

    QTest::newRow("topic 1 in range") << 1 << 10105 << 10105 << 10106;
    QTest::newRow("topic 1 last line") << 1 << 10128 << 10128 << 10129;
    QTest::newRow("topic 1 past end wraps") << 1 << 10129 << 10101 << 10102;
    QTest::newRow("topic 3 wraps 10329") << 3 << 10329 << 10301 << 10302;
    QTest::newRow("topic 3 from another page") << 3 << 10517 << 10301 << 10302;
    QTest::newRow("topic 10 first-run 11000") << 10 << 11000 << 11001 << 11002;
    QTest::newRow("topic 1 first-run 11000") << 1 << 11000 << 10101 << 10102;
    QTest::newRow("topic 10 last line") << 10 << 11028 << 11028 << 11029;
    QTest::newRow("topic 2 negative position") << 2 << -5 << 10201 << 10202;
    QTest::newRow("topic 9 max 16-bit") << 9 << 32767 << 10901 << 10902;
    QTest::newRow("entire in range") << 0 << 10517 << 10517 << 10518;
    QTest::newRow("entire 10129 next page") << 0 << 10129 << 10201 << 10202;
    QTest::newRow("entire 10829 next page") << 0 << 10829 << 10901 << 10902;
    QTest::newRow("entire 10929 to page 10") << 0 << 10929 << 11001 << 11002;
    QTest::newRow("entire first-run 11000") << 0 << 11000 << 11001 << 11002;
    QTest::newRow("entire last sentence") << 0 << 11928 << 11928 << 11929;
    QTest::newRow("entire after the course") << 0 << 11929 << 10101 << 10102;
    QTest::newRow("entire beyond corpus") << 0 << 12050 << 10101 << 10102;
    QTest::newRow("entire below corpus") << 0 << 9999 << 10101 << 10102;
    QTest::newRow("entire zero") << 0 << 0 << 10101 << 10102;
    QTest::newRow("entire max 16-bit") << 0 << 32767 << 10101 << 10102;
    QTest::newRow("entire min 16-bit") << 0 << -32768 << 10101 << 10102;
}

void TestScheduler::sequence()
{
    QFETCH(int, topic);
    QFETCH(int, position);
    QFETCH(int, loaded);
    QFETCH(int, nextPosition);

    PlaybackState state;
    state.gintPlayMode = 1;
    state.gintTopic = static_cast<qint16>(topic);
    state.gintNextSentence = static_cast<qint16>(position);
    SentenceScheduler scheduler(7);
    const auto choice = scheduler.next(state);
    QCOMPARE(int(choice.sentence), loaded);
    QVERIFY(choice.sequence);
    QCOMPARE(int(state.gintNextSentence), nextPosition);
    QVERIFY(Numbering::isSentence(choice.sentence));
}

void TestScheduler::sequenceWalksTopicInOrderAndWraps()
{
    PlaybackState state;
    state.gintPlayMode = 5; // any non-zero value is sequence order
    state.gintTopic = 4;
    state.gintNextSentence = 11000;
    SentenceScheduler scheduler(1);
    for (int round = 0; round < 2; ++round) {
        for (int line = 1; line <= 28; ++line)
            QCOMPARE(int(scheduler.next(state).sentence), Numbering::sentence(4, line));
    }
}

void TestScheduler::sequenceWalksWholeCourse()
{
    PlaybackState state;
    state.gintPlayMode = 1;
    state.gintTopic = 0;
    state.gintNextSentence = Numbering::kCourseStart;
    SentenceScheduler scheduler(1);
    for (int page = 1; page <= 19; ++page) {
        for (int line = 1; line <= 28; ++line)
            QCOMPARE(int(scheduler.next(state).sentence), Numbering::sentence(page, line));
    }
    QCOMPARE(int(scheduler.next(state).sentence), int(Numbering::kCourseStart));
}

void TestScheduler::randomInTopic_data()
{
    QTest::addColumn<int>("topic");
    for (int t = 1; t <= 10; ++t)
        QTest::addRow("topic %d", t) << t;
}

void TestScheduler::randomInTopic()
{
    QFETCH(int, topic);
    PlaybackState state;
    state.gintPlayMode = 0;
    state.gintTopic = static_cast<qint16>(topic);
    SentenceScheduler scheduler(static_cast<std::uint32_t>(topic));
    QSet<int> lines;
    for (int i = 0; i < 2000; ++i) {
        const auto choice = scheduler.next(state);
        QVERIFY(!choice.sequence);
        QCOMPARE(Numbering::page(choice.sentence), topic);
        QCOMPARE(int(scheduler.mintRandomSentence), int(choice.sentence));
        lines.insert(Numbering::line(choice.sentence));
    }
    QCOMPARE(lines.size(), 28); // every line can come up
    QVERIFY(*std::min_element(lines.begin(), lines.end()) == 1);
}

void TestScheduler::randomWholeCourseCoversEveryPage()
{
    PlaybackState state;
    state.gintPlayMode = 0;
    state.gintTopic = 0;
    SentenceScheduler scheduler(99);
    QSet<int> pages;
    QSet<int> lines;
    for (int i = 0; i < 5000; ++i) {
        const int n = scheduler.next(state).sentence;
        QVERIFY2(Numbering::isSentence(n), qPrintable(QString::number(n)));
        pages.insert(Numbering::page(n));
        lines.insert(Numbering::line(n));
    }
    QCOMPARE(pages.size(), 19);
    QCOMPARE(lines.size(), 28);
}

void TestScheduler::randomLeavesPositionAlone()
{
    PlaybackState state;
    state.gintPlayMode = 0;
    state.gintTopic = 3;
    state.gintNextSentence = 10517;
    SentenceScheduler scheduler;
    for (int i = 0; i < 50; ++i)
        scheduler.next(state);
    QCOMPARE(int(state.gintNextSentence), 10517);
}

void TestScheduler::outOfRangeTopicPlaysCourse()
{
    PlaybackState state;
    state.gintPlayMode = 1;
    state.gintTopic = 327;
    state.gintNextSentence = 10203;
    SentenceScheduler scheduler(3);
    QCOMPARE(int(scheduler.next(state).sentence), 10203);
}

QTEST_APPLESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
