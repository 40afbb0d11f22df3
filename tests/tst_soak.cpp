#include "FakeDesktop.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "agent/Character.h"
#include "app/Form1.h"
#include "app/StripPicture.h"
#include "content/Corpus.h"
#include "content/Numbering.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form7.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace {

// Simulated time, in milliseconds.
constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;

// The pointer moves this often; posted events are delivered at the same beat.
constexpr qint64 kPointerStep = 7 * kSecond;
// How long the Settings dialog stays open, and how often it is opened
// without a change of topic.
constexpr qint64 kDialogOpen = 20 * kSecond;
constexpr qint64 kDialogEvery = 41 * kMinute;

// Largest values the counters can reach with the dialog's ranges: a cycle
// of 15 s + 15 s lasts 302 ticks, and a pair gets at most 12 cycles.
constexpr int kMaxTick = 10 * (15 + 15) + 2;
constexpr int kMaxRepeats = 12;
constexpr int kCountdownStart = 70;
constexpr int kScrollSteps = 36;
constexpr int kLabel2Shown = 60;
constexpr int kLabel2Parked = 400;
constexpr int kTopRows = 3; // a collapsed strip opens with the pointer at y <= 3
constexpr qint64 kMaxGrowthBytes = 4 * 1024 * 1024;

// One stretch of the day, with the choices the learner makes in the
// Settings dialog at its start.
struct Segment {
    int topic; // 0 = Entire
    bool sequence;
    bool italianFirst;
    int repeats;
    int italianTime;
    int englishTime;
    bool autoHide;
    int readAloud;  // the stored "voice"; only 1 speaks
    int minutes;    // 0: the rest of the day
    bool twoRounds; // long enough for every sentence to come twice
};

// The first hour mixes a bit of everything, so that the memory reading
// taken after it has seen every kind of work the rest of the day does.
constexpr std::array kSchedule{
    // topic, sequence, italianFirst, repeats, italian, english, autoHide, voice, minutes, twoRounds
    Segment{1, false, true, 2, 5, 3, false, 1, 10, false}, // first-run choices
    Segment{2, true, false, 1, 5, 3, true, 1, 12, true},
    Segment{3, false, true, 12, 15, 15, true, 1, 20, false},
    Segment{4, true, true, 2, 5, 3, false, 0, 18, true},
    // One hour gone.
    Segment{0, true, true, 1, 5, 3, true, 1, 160, true},
    Segment{5, true, false, 1, 15, 15, true, 1, 35, true},
    Segment{6, false, false, 12, 5, 3, false, 1, 40, false},
    Segment{7, true, true, 1, 5, 15, true, 0, 26, true},
    Segment{8, true, false, 2, 5, 3, true, 1, 20, true},
    Segment{9, true, true, 1, 15, 3, false, 1, 22, true},
    Segment{10, true, false, 1, 5, 3, true, 1, 12, true},
    Segment{1, true, true, 1, 10, 10, true, 1, 26, true},
    Segment{6, true, true, 1, 5, 3, true, 1, 12, true},
    Segment{3, true, false, 1, 5, 3, true, 1, 12, true},
    Segment{0, false, true, 1, 5, 3, true, 1, 60, false},
    Segment{5, false, false, 12, 15, 15, true, 1, 120, false},
    Segment{7, true, true, 12, 15, 15, false, 1, 120, false},
    Segment{8, false, true, 2, 15, 3, true, 1, 60, false},
    Segment{9, false, false, 1, 5, 15, true, 0, 60, false},
    Segment{10, false, true, 2, 5, 3, false, 1, 60, false},
    Segment{2, false, false, 12, 10, 5, true, 1, 60, false},
    Segment{4, false, true, 1, 5, 3, true, 1, 60, false},
    Segment{7, false, false, 1, 5, 3, true, 1, 30, false},
    Segment{0, true, false, 1, 5, 3, true, 1, 0, true},
};

// Pointer positions, relative to the strip's full-height rectangle.
enum class Spot { Away, TopEdge, Row3, Row4, LowInside, RightOfStrip };
constexpr std::array kSpots{Spot::Away,    Spot::Row3,      Spot::LowInside,    Spot::Away,
                            Spot::TopEdge, Spot::Row4,      Spot::Away,         Spot::RightOfStrip,
                            Spot::TopEdge, Spot::LowInside, Spot::Away,         Spot::Row4,
                            Spot::Away,    Spot::Row3,      Spot::RightOfStrip, Spot::LowInside};

QPoint spotPoint(Spot spot, const QRect& strip)
{
    const int x = strip.center().x();
    switch (spot) {
    case Spot::TopEdge:
        return {x, 0};
    case Spot::Row3:
        return {x, kTopRows};
    case Spot::Row4:
        return {x, kTopRows + 1};
    case Spot::LowInside:
        return {x, strip.bottom()};
    case Spot::RightOfStrip:
        return {strip.right() + 5, 1};
    case Spot::Away:
        break;
    }
    return {strip.center().x() / 2, 400};
}

qint64 residentBytes()
{
#ifdef Q_OS_LINUX
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE);
#else
    return -1;
#endif
}

// What the character was asked to do, without keeping every call: the
// day's log would otherwise be what grows.
struct CharacterCalls {
    int speaks = 0;
    int waves = 0;
    int others = 0; // anything else after start-up
    QString lastSpoken;
    QString unexpected;
};

class CountingCharacter : public Character {
public:
    explicit CountingCharacter(CharacterCalls& calls) : m_calls(calls) {}

    void Show() override { ++m_calls.others; }
    void Hide() override { ++m_calls.others; }
    void Speak(const QString& text) override
    {
        ++m_calls.speaks;
        m_calls.lastSpoken = text;
    }
    void Play(const QString& animation) override
    {
        if (animation == QLatin1String("Wave"))
            ++m_calls.waves;
        else
            m_calls.unexpected = QStringLiteral("Play:") + animation;
    }
    void setLanguageID(int) override { ++m_calls.others; }
    void MoveTo(const QPoint&) override { ++m_calls.others; }
    void Raise() override { ++m_calls.others; }

private:
    CharacterCalls& m_calls;
};

// Keeps the real timers from firing: the day runs on the simulated clock
// alone, while each QTimer still reports whether it is running.
class TimerEventSink : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

// The numbers whose Italian and English texts are the pair on show.
class PairIndex {
public:
    explicit PairIndex(const Corpus& corpus)
    {
        for (int page = Numbering::kFirstPage; page <= Numbering::kLastPage; ++page) {
            for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
                const int n = Numbering::sentence(page, line);
                const auto italian = corpus.lookup(n);
                const auto english = corpus.lookup(Numbering::englishKey(n));
                if (italian && english) {
                    m_numbers[key(*italian, *english)].append(n);
                    m_italian.insert(*italian);
                }
            }
        }
    }
    QList<int> numbers(const QString& italian, const QString& english) const
    {
        return m_numbers.value(key(italian, english));
    }
    bool isItalian(const QString& text) const { return m_italian.contains(text); }

private:
    static QString key(const QString& italian, const QString& english)
    {
        return italian + QChar(0) + english;
    }
    QHash<QString, QList<int>> m_numbers;
    QSet<QString> m_italian;
};

bool inTopic(int n, int topic)
{
    if (!Numbering::isSentence(n))
        return false;
    return topic == 0 || Numbering::page(n) == topic;
}

// The sentence that follows `n` in sequence order.
int successor(int n, int topic)
{
    if (Numbering::line(n) < Numbering::kLinesPerPage)
        return n + 1;
    if (topic != 0)
        return Numbering::firstOfTopic(topic);
    if (Numbering::page(n) < Numbering::kLastPage)
        return Numbering::sentence(Numbering::page(n) + 1, 1);
    return Numbering::kCourseStart;
}

int sentencesIn(int topic)
{
    const int pages = topic == 0 ? Numbering::kLastPage - Numbering::kFirstPage + 1 : 1;
    return pages * Numbering::kLinesPerPage;
}

// What one segment played.
struct SegmentLog {
    QList<int> sequenceLoads;
    QSet<int> randomNumbers;
    int randomLoads = 0;
};

// A strip on a fake desktop playing for a simulated day: the handlers are
// called when their timer is due on the simulated clock, and each call is
// checked as it returns.
class Day {
public:
    Day()
        : agent([this](const QString& id, const QString&) -> std::unique_ptr<Character> {
              if (id != QLatin1String("Peedy"))
                  return nullptr;
              return std::make_unique<CountingCharacter>(calls);
          }),
          form(state, corpus, store, agent, desktop),
          pairs(corpus), m_beats{{{form.Timer1, &Form1::Timer1_Timer},
                                  {form.Timer2, &Form1::Timer2_Timer},
                                  {form.Timer3, &Form1::Timer3_Timer},
                                  {form.Timer4, &Form1::Timer4_Timer},
                                  {form.Timer5, &Form1::Timer5_Timer}}}
    {
        for (const Beat& beat : m_beats)
            beat.timer->installEventFilter(&m_sink);
        form.setMessageHandler([this](const QString& text) { messages << text; });
    }

    void start()
    {
        form.Form_Load();
        calls.others = 0;
        sync();
    }

    // Runs every handler that falls due up to `end`, then sets the clock there.
    void runUntil(qint64 end)
    {
        while (error.isEmpty()) {
            Beat* next = nullptr;
            for (Beat& beat : m_beats) {
                if (beat.running && (!next || beat.due < next->due))
                    next = &beat;
            }
            if (!next || next->due > end)
                break;
            now = next->due;
            next->due += next->timer->interval();
            ++handlerCalls[static_cast<std::size_t>(next - m_beats.data())];
            fire(*next);
            sync();
        }
        now = end;
    }

    // Starts the beat of every timer that has been switched on since the
    // last look; a stopped timer loses its beat.
    void sync()
    {
        for (Beat& beat : m_beats) {
            const bool active = beat.timer->isActive();
            if (active && !beat.running)
                beat.due = now + beat.timer->interval();
            beat.running = active;
        }
    }

    void pointAt(Spot spot) { desktop.cursor = spotPoint(spot, form.mrctWindow); }

    void deliverPostedEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void fail(const QString& what)
    {
        if (error.isEmpty())
            error = QStringLiteral("at %1 s: %2").arg(now / kSecond).arg(what);
    }

    SegmentLog log; // what the current segment has played

    TestEnvironment env;
    FakeDesktop desktop;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    CharacterCalls calls;
    AgentControl agent;
    Form1 form;
    PairIndex pairs;
    QStringList messages;
    QString error;
    qint64 now = 0;
    int italianLines = 0;
    int loads = 0;
    std::array<qint64, 5> handlerCalls{}; // Timer1..Timer5
    int collapses = 0;                    // auto-hide closing the strip
    int reopenings = 0;
    int blinks = 0; // colours drawn over the collapsed strip

private:
    struct Beat {
        QTimer* timer;
        void (Form1::*handler)();
        qint64 due = 0;
        bool running = false;
    };

    void fire(Beat& beat)
    {
        if (beat.timer == form.Timer1)
            timer1();
        else if (beat.timer == form.Timer2)
            timer2();
        else if (beat.timer == form.Timer5)
            timer5();
        else
            (form.*beat.handler)();
        checkCounters();
    }

    void timer1()
    {
        const bool wasFull = form.isFullHeight();
        const bool welcomeOver = state.gintCountdown <= 1;
        form.Timer1_Timer();
        if (!welcomeOver)
            return;
        const QPoint p = desktop.cursor;
        const bool inside = form.mrctWindow.contains(p);
        if (state.gintAutoHide == 0 || (inside && p.y() <= kTopRows)) {
            if (!form.isFullHeight())
                fail(QStringLiteral("the strip stays collapsed"));
        } else if (!inside) {
            if (form.isFullHeight())
                fail(QStringLiteral("the strip stays open with the pointer away"));
        } else if (form.isFullHeight() != wasFull) {
            fail(QStringLiteral("the strip changed height with the pointer below the top rows"));
        }
        if (wasFull && !form.isFullHeight())
            ++collapses;
        if (!wasFull && form.isFullHeight())
            ++reopenings;
        const int height = form.height();
        if (form.isFullHeight() ? height != form.mrctWindow.height()
                                : height >= form.mrctWindow.height())
            fail(QStringLiteral("the window height %1 does not match its state").arg(height));
    }

    void timer2()
    {
        form.Timer2_Timer();
        const QColor mark = form.stripMarkColor();
        if (form.isFullHeight()) {
            if (mark.isValid())
                fail(QStringLiteral("a colour is drawn over the open strip"));
            m_lastMark = QColor();
            return;
        }
        if (mark != QColor(0, 255, 0) && mark != QColor(255, 0, 0))
            fail(QStringLiteral("the collapsed strip blinks in %1").arg(mark.name()));
        else if (m_lastMark.isValid() && mark == m_lastMark)
            fail(QStringLiteral("the collapsed strip did not change colour"));
        m_lastMark = mark;
        ++blinks;
    }

    void timer5()
    {
        const PlaybackState before = state;
        const CharacterCalls asked = calls;
        const QString italian = form.mstrItalian;
        const QString english = form.mstrEnglish;
        form.Timer5_Timer();

        const bool italianFirst = before.gintLanguageOrder == 1;
        const bool italianStarts = before.gintPhase == (italianFirst ? 0 : 2);
        const int waves = calls.waves - asked.waves;
        const int speaks = calls.speaks - asked.speaks;
        if (italianStarts)
            ++italianLines;
        if (waves != (italianStarts ? 1 : 0))
            fail(QStringLiteral("%1 waves in phase %2").arg(waves).arg(before.gintPhase));
        if (speaks != (italianStarts && before.gintReadAloud == 1 ? 1 : 0))
            fail(QStringLiteral("%1 speeches in phase %2 with voice %3")
                     .arg(speaks)
                     .arg(before.gintPhase)
                     .arg(before.gintReadAloud));
        if (speaks > 0 &&
            (calls.lastSpoken != form.mstrItalian || !pairs.isItalian(calls.lastSpoken)))
            fail(QStringLiteral("the character said \"%1\"").arg(calls.lastSpoken));
        if (!calls.unexpected.isEmpty() || calls.others != 0)
            fail(QStringLiteral("unexpected character call %1").arg(calls.unexpected));

        if (before.gintCycle >= before.gintRepeats)
            loaded(before);
        else if (state.gintNextSentence != before.gintNextSentence || form.mstrItalian != italian ||
                 form.mstrEnglish != english)
            fail(QStringLiteral("a pair was loaded before its repetitions were done"));
    }

    void loaded(const PlaybackState& before)
    {
        ++loads;
        if (state.gintCycle != 0)
            fail(QStringLiteral("the cycle count was not reset by a load"));
        const QList<int> candidates = pairs.numbers(form.mstrItalian, form.mstrEnglish);
        if (before.gintPlayMode != 0) {
            const int n = state.gintNextSentence - 1;
            if (!inTopic(n, before.gintTopic) || !candidates.contains(n)) {
                fail(
                    QStringLiteral("sequence load of %1 in topic %2").arg(n).arg(before.gintTopic));
                return;
            }
            if (!log.sequenceLoads.isEmpty() &&
                n != successor(log.sequenceLoads.last(), before.gintTopic))
                fail(QStringLiteral("%1 came after %2").arg(n).arg(log.sequenceLoads.last()));
            log.sequenceLoads.append(n);
            return;
        }
        if (state.gintNextSentence != before.gintNextSentence)
            fail(QStringLiteral("a random load moved the sequence position"));
        for (int n : candidates) {
            if (inTopic(n, before.gintTopic)) {
                log.randomNumbers.insert(n);
                ++log.randomLoads;
                return;
            }
        }
        fail(QStringLiteral("random load of \"%1\" is not in topic %2")
                 .arg(form.mstrItalian)
                 .arg(before.gintTopic));
    }

    void checkCounters()
    {
        const auto within = [this](const char* name, int value, int low, int high) {
            if (value < low || value > high)
                fail(QStringLiteral("%1 = %2").arg(QLatin1String(name)).arg(value));
        };
        within("gintTick", state.gintTick, 0, kMaxTick);
        within("gintCycle", state.gintCycle, 0, kMaxRepeats);
        within("gintPhase", state.gintPhase, 0, 4);
        within("gintCountdown", state.gintCountdown, 1, kCountdownStart);
        within("mintScrollStep", form.mintScrollStep, 0, kScrollSteps - 1);
        within("Label2 top", form.label2TopTwips(), kLabel2Shown, kLabel2Parked);
        // Once a sequence has loaded, its position stays inside the course.
        if (state.gintPlayMode != 0 && !log.sequenceLoads.isEmpty())
            within("gintNextSentence", state.gintNextSentence, Numbering::kCourseStart,
                   Numbering::kCourseEnd + 1);
    }

    TimerEventSink m_sink;
    std::array<Beat, 5> m_beats;
    QColor m_lastMark;
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDayOfPlayback();

private:
    void openAndChoose(Day& day, const Segment* choice);
    void checkSegment(Day& day, const Segment& segment, int previousTopic);
};

// Opens the Settings dialog as its menu command does, keeps it open while
// the clock runs, makes the segment's choices through the controls (none
// for nullptr) and closes it.
void TestSoak::openAndChoose(Day& day, const Segment* choice)
{
    Form2& menu = day.form.menuHolder();
    menu.mnu_sysset_Click();
    QPointer<Form3> dialog = menu.settingsDialog();
    QVERIFY(dialog);
    day.sync();
    QVERIFY(!day.form.Timer5->isActive());
    QVERIFY(!day.form.Image1->isEnabled());
    const PlaybackState paused = day.state;

    day.runUntil(day.now + kDialogOpen / 2);
    QVERIFY2(day.error.isEmpty(), qPrintable(day.error));
    if (choice) {
        dialog->Option1[choice->topic]->click();
        dialog->Option2[choice->sequence ? 1 : 0]->click();
        dialog->Option3[choice->italianFirst ? 0 : 1]->click();
        dialog->VScroll1->setValue(choice->repeats);
        dialog->VScroll2->setValue(choice->italianTime);
        dialog->VScroll3->setValue(choice->englishTime);
        if (dialog->Check4->isChecked() != choice->autoHide)
            dialog->Check4->click();
        QCOMPARE(dialog->Text1[0]->text(), QString::number(choice->repeats));
        QCOMPARE(day.state.gintAutoHide, qint16(choice->autoHide ? 1 : 0));
    } else {
        // Auto-hide follows its box while the dialog is still open.
        dialog->Check4->click();
        day.runUntil(day.now + kPointerStep);
        dialog->Check4->click();
    }
    day.runUntil(day.now + kDialogOpen / 2);
    QVERIFY2(day.error.isEmpty(), qPrintable(day.error));

    // The display cycle held still while the dialog was open.
    QCOMPARE(day.state.gintTick, paused.gintTick);
    QCOMPARE(day.state.gintPhase, paused.gintPhase);
    QCOMPARE(day.state.gintCycle, paused.gintCycle);
    QVERIFY(!day.form.Timer5->isActive());

    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!dialog);
    QVERIFY(day.form.Image1->isEnabled());
    QVERIFY(day.form.Timer5->isActive());
    day.sync();
    if (choice) {
        QCOMPARE(day.state.gintTopic, qint16(choice->topic));
        QCOMPARE(day.state.gintPlayMode, qint16(choice->sequence ? 1 : 0));
        QCOMPARE(day.state.gintLanguageOrder, qint16(choice->italianFirst ? 1 : 0));
        QCOMPARE(day.state.gintRepeats, qint16(choice->repeats));
        QCOMPARE(day.state.gintItalianTime, qint16(choice->italianTime));
        QCOMPARE(day.state.gintEnglishTime, qint16(choice->englishTime));
    }
}

void TestSoak::checkSegment(Day& day, const Segment& segment, int previousTopic)
{
    const SegmentLog& log = day.log;
    const QString where = QStringLiteral("topic %1, %2")
                              .arg(segment.topic)
                              .arg(QLatin1String(segment.sequence ? "sequence" : "at random"));
    if (segment.sequence) {
        QVERIFY2(!log.sequenceLoads.isEmpty(), qPrintable(where));
        // Back to the whole course from a topic, with the schedule kept:
        // the course starts again at its first sentence.
        if (segment.topic == 0 && previousTopic != 0)
            QCOMPARE(log.sequenceLoads.first(), int(Numbering::kCourseStart));
        if (segment.twoRounds) {
            const int size = sentencesIn(segment.topic);
            QVERIFY2(
                log.sequenceLoads.size() >= 2 * size,
                qPrintable(where + QStringLiteral(": %1 loads").arg(log.sequenceLoads.size())));
            QHash<int, int> visits;
            for (int n : log.sequenceLoads)
                ++visits[n];
            QCOMPARE(visits.size(), size);
            for (auto it = visits.cbegin(); it != visits.cend(); ++it)
                QVERIFY2(it.value() >= 2, qPrintable(where + QString::number(it.key())));
        }
    } else {
        QVERIFY2(log.randomLoads > 0, qPrintable(where));
        // Independent draws from 28 (or 532) sentences: a third as many
        // different ones as draws is all but certain.
        const int expected = std::min(log.randomLoads, sentencesIn(segment.topic)) / 3;
        QVERIFY2(log.randomNumbers.size() >= expected,
                 qPrintable(where + QStringLiteral(": %1 different in %2 draws")
                                        .arg(log.randomNumbers.size())
                                        .arg(log.randomLoads)));
    }
}

// A whole day of playback on the simulated clock: every topic, both orders
// and both play modes, one and twelve repetitions, the shortest and longest
// display times, auto-hide with the pointer coming and going, and the
// Settings dialog opened now and then.
void TestSoak::aDayOfPlayback()
{
    QElapsedTimer wall;
    wall.start();
    Day day;
    day.start();
    QVERIFY(day.messages.isEmpty());

    // The welcome runs, then playback starts on its own.
    day.pointAt(Spot::Away);
    day.runUntil(5 * kSecond);
    QVERIFY2(day.error.isEmpty(), qPrintable(day.error));
    QCOMPARE(day.state.gintCountdown, qint16(1));
    QVERIFY(day.form.Timer5->isActive());
    QVERIFY(day.form.isVisible());
    QVERIFY(!day.form.startupWindow());

    qint64 firstHourBytes = -1;
    int firstHourObjects = 0;
    int firstHourWindows = 0;
    qint64 nextDialog = kDialogEvery;
    std::size_t spot = 0;
    int previousTopic = day.state.gintTopic;

    for (std::size_t i = 0; i < kSchedule.size(); ++i) {
        const Segment& segment = kSchedule[i];
        const qint64 end = segment.minutes > 0 ? day.now + segment.minutes * kMinute : kDay;
        day.state.gintReadAloud = static_cast<qint16>(segment.readAloud);
        openAndChoose(day, &segment);
        if (QTest::currentTestFailed())
            return;
        day.log = SegmentLog{};

        while (day.now < end && day.error.isEmpty()) {
            day.runUntil(std::min(end, day.now + kPointerStep));
            day.pointAt(kSpots[spot++ % kSpots.size()]);
            day.deliverPostedEvents();
            day.sync();
            if (day.now >= nextDialog && day.now + kDialogOpen < end) {
                nextDialog = day.now + kDialogEvery;
                openAndChoose(day, nullptr);
                if (QTest::currentTestFailed())
                    return;
            }
            if (firstHourBytes < 0 && day.now >= kHour) {
                firstHourBytes = residentBytes();
                firstHourObjects = day.form.findChildren<QObject*>().size();
                firstHourWindows = QApplication::topLevelWidgets().size();
            }
        }
        QVERIFY2(day.error.isEmpty(), qPrintable(day.error));
        checkSegment(day, segment, previousTopic);
        if (QTest::currentTestFailed())
            return;
        previousTopic = segment.topic;
    }
    QCOMPARE(day.now, kDay);

    day.deliverPostedEvents();
    const qint64 endBytes = residentBytes();
    qInfo("resident memory: %lld KiB after the first hour, %lld KiB after 24 h",
          firstHourBytes / 1024, endBytes / 1024);
    qInfo("%d pairs loaded, %d Italian lines, %d spoken, %d collapses; handler calls "
          "%lld/%lld/%lld/%lld/%lld (Timer1..Timer5); %lld ms of real time",
          day.loads, day.italianLines, day.calls.speaks, day.collapses, day.handlerCalls[0],
          day.handlerCalls[1], day.handlerCalls[2], day.handlerCalls[3], day.handlerCalls[4],
          static_cast<long long>(wall.elapsed()));
    QVERIFY(day.messages.isEmpty());
    QCOMPARE(day.calls.waves, day.italianLines);
    QVERIFY(day.calls.speaks > 0 && day.calls.speaks < day.calls.waves);
    // The pointer came and went often enough for auto-hide to work both ways.
    QVERIFY2(day.collapses > 100 && day.reopenings > 100 && day.blinks > 1000,
             qPrintable(QStringLiteral("%1 collapses, %2 reopenings, %3 blinks")
                            .arg(day.collapses)
                            .arg(day.reopenings)
                            .arg(day.blinks)));
    // No dialog, menu or child widget is left behind by the day's work.
    QCOMPARE(day.form.findChildren<QObject*>().size(), firstHourObjects);
    QCOMPARE(QApplication::topLevelWidgets().size(), firstHourWindows);
#ifdef Q_OS_LINUX
    QVERIFY(firstHourBytes > 0 && endBytes > 0);
    QVERIFY2(endBytes - firstHourBytes < kMaxGrowthBytes,
             qPrintable(QStringLiteral("grew by %1 KiB").arg((endBytes - firstHourBytes) / 1024)));
#endif
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
