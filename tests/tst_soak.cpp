#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "content/Numbering.h"
#include "ui/SettingsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>

namespace {

using namespace Numbering;

constexpr qint64 kMinute = 60 * 1000; // simulated milliseconds
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;
constexpr qint64 kPointerStep = 7000;
constexpr int kTopRows = 3;                  // a collapsed strip opens with the pointer at y <= 3
constexpr int kMaxTick = 10 * (15 + 15) + 2; // the longest display cycle

// Choices, then `minutes` of play (0: the rest); 12 repetitions show 15 s lines.
struct Segment {
    int topic, sequence, italianFirst, repeats, autoHide, voice, minutes;
    bool operator==(const Segment&) const = default;
};

// The first hour (before the memory baseline) has every kind of work in it.
constexpr Segment kSchedule[]{
    {1, 0, 1, 2, 0, 1, 10},   {2, 1, 0, 1, 1, 1, 8},   {3, 0, 1, 12, 1, 1, 20},
    {4, 1, 1, 1, 0, 0, 22},   {0, 0, 0, 1, 1, 1, 90},  {5, 1, 0, 1, 1, 1, 20},
    {6, 0, 0, 12, 0, 1, 60},  {7, 1, 1, 2, 1, 0, 15},  {8, 1, 0, 1, 0, 1, 10},
    {9, 0, 1, 12, 1, 1, 300}, {10, 1, 1, 1, 1, 1, 10}, {0, 1, 0, 1, 1, 1, 0}};

// Away, a row too low, the top rows, low inside, beside the strip, the top edge.
QPoint spot(qint64 i, const QRect& strip)
{
    const int x = strip.center().x();
    const QPoint round[]{{x / 2, 400},        {x, kTopRows + 1},      {x, kTopRows},
                         {x, strip.bottom()}, {strip.right() + 5, 1}, {x, 0}};
    return round[i % 6];
}

// Resident memory in KiB; 0 where there is no /proc.
qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').first().toLongLong();
}

// A strip on a simulated clock; each handler call is checked, the first fault kept.
struct Day {
    // Calls a handler when its timer has run its interval (all multiples of 10 ms).
    void runUntil(qint64 end)
    {
        for (; now < end && error.isEmpty(); now += 10) {
            for (int i = 0; i < 5; ++i) {
                if (!timers[i]->isActive())
                    started[i] = -1;
                else if (started[i] < 0)
                    started[i] = now;
                else if (now - started[i] >= timers[i]->interval()) {
                    fire(i); // a timer may sleep for a different time from here
                    started[i] = now;
                }
            }
        }
    }

    void fire(int i)
    {
        const PlaybackState before = state;
        const DisplayCycle cycleBefore = form.cycle();
        const qint16 countdownBefore = form.countdown();
        const bool wasFull = form.isFullHeight();
        rig.log.clear(); // the day's log would otherwise be what grows
        switch (i) {
        case 0:
            form.pointerTick();
            break;
        case 1:
            form.blinkTick();
            break;
        case 2:
            form.slideTick();
            break;
        case 3:
            form.scrollTick();
            break;
        default:
            form.wakeCycle();
            break;
        }
        const QStringList said = rig.log.filter(QStringLiteral("Speak:"));
        speaks += int(said.size());
        if (!said.isEmpty() &&
            (before.readAloud != 1 || said != QStringList{"Speak:" + form.italian()}))
            fail(said.join(QLatin1Char('|')));
        if (i == 0 && countdownBefore <= 1) {
            const QPoint p = rig.desktop.cursor;
            const bool open = state.autoHide == 0 ||
                              (form.windowRect().contains(p) && (p.y() <= kTopRows || wasFull));
            if (form.isFullHeight() != open ||
                (form.height() == form.windowRect().height()) != open)
                fail(QString::asprintf("%d px high at y %d", form.height(), p.y()));
            collapses += wasFull && !open;
            reopenings += !wasFull && open;
        }
        if (i == 4 && cycleBefore.phase() == 0 && cycleBefore.cycle() >= before.repeats)
            checkLoad(before);
        // Counters stay in range; a line moves only while it is shown (its waiting phase and
        // the step that clears it), also when Settings shortened the cycle that was running.
        const auto in = [](int value, int low, int high) { return value >= low && value <= high; };
        const int italianPhase = state.languageOrder == 1 ? 1 : 3;
        const DisplayCycle& cycle = form.cycle();
        if (!in(cycle.tick(), 0, kMaxTick) || !in(cycle.cycle(), 0, 12) ||
            !in(cycle.phase(), 0, 4) || !in(form.countdown(), 1, 70) ||
            !in(form.scrollStep(), 0, 35) || !in(form.englishLineTopTwips(), 60, 400) ||
            (timers[3]->isActive() && !in(cycle.phase(), italianPhase, italianPhase + 1)) ||
            (timers[2]->isActive() && !in(cycle.phase(), 4 - italianPhase, 5 - italianPhase)))
            fail(QStringLiteral("a counter or a moving line went astray"));
    }

    void checkLoad(const PlaybackState& before)
    {
        const int topic = before.topic;
        const auto shown = [&](int n) {
            return isSentence(n) && (topic == 0 || page(n) == topic) &&
                   rig.corpus.lookup(n) == form.italian() &&
                   rig.corpus.lookup(englishKey(n)) == form.english();
        };
        int n = before.playMode != 0 ? state.nextSentence - 1 : kCourseStart;
        while (before.playMode == 0 && n <= kCourseEnd && !shown(n))
            ++n;
        const int next = line(last) < kLinesPerPage ? last + 1
                         : topic != 0               ? firstOfTopic(topic)
                                                    : sentence(page(last) % kLastPage + 1, 1);
        if (!shown(n))
            fail(QStringLiteral("\"%1\" in topic %2").arg(form.italian()).arg(topic));
        else if (before.playMode != 0 && last != 0 && n != next)
            fail(QStringLiteral("%1 came after %2").arg(n).arg(last));
        seen.insert(n);
        last = n;
        ++loads;
    }

    // Opens Settings from the menu, lets the clock run, makes the choices.
    void useSettings(const Segment& choice)
    {
        rig.menu.openSettings();
        SettingsDialog* dialog = rig.menu.settingsDialog();
        runUntil(now + 20000); // the dialog stays open for 20 s
        const auto button = [dialog](int group, int i) {
            return dialog->findChild<QRadioButton*>(
                QStringLiteral("Option%1_%2").arg(group).arg(i));
        };
        const auto bar = [dialog](const char* name) {
            return dialog->findChild<QScrollBar*>(name);
        };
        button(1, choice.topic)->click();
        button(2, choice.sequence)->click();
        button(3, 1 - choice.italianFirst)->click();
        bar("VScroll1")->setValue(choice.repeats);
        bar("VScroll2")->setValue(choice.repeats == 12 ? 15 : 5);
        bar("VScroll3")->setValue(choice.repeats == 12 ? 15 : 3);
        dialog->findChild<QCheckBox*>("Check4")->setChecked(choice.autoHide != 0);
        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (Segment{state.topic, state.playMode, state.languageOrder, state.repeats, state.autoHide,
                    choice.voice, choice.minutes} != choice)
            fail(QStringLiteral("the Settings dialog lost a choice"));
        state.readAloud = static_cast<qint16>(choice.voice);
        seen.clear();
        last = loads = 0;
    }

    void fail(const QString& what)
    {
        if (error.isEmpty())
            error = QStringLiteral("at %1 s: %2").arg(now / 1000).arg(what);
    }

    StripRig rig;
    CaptionStrip& form = rig.strip;
    PlaybackState& state = rig.state;
    const QList<QTimer*> timers{rig.timer("Timer1"), rig.timer("Timer2"), rig.timer("Timer3"),
                                rig.timer("Timer4"), rig.timer("Timer5")};
    qint64 started[5]{-1, -1, -1, -1, -1};
    qint64 now = 0;
    QString error;
    int speaks = 0, collapses = 0, reopenings = 0, last = 0, loads = 0;
    QSet<int> seen; // what the current stretch loaded
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    // Every topic, order, play mode, 1 and 12 repetitions, auto-hide, the dialog.
    void aDayOfPlayback()
    {
        Day day;
        day.form.start();
        qint64 firstHourKiB = -1;
        qsizetype widgets = 0;
        for (const Segment& segment : kSchedule) {
            const qint64 end = segment.minutes > 0 ? day.now + segment.minutes * kMinute : kDay;
            day.useSettings(segment);
            while (day.now < end && day.error.isEmpty()) {
                day.runUntil(std::min(end, day.now + kPointerStep));
                day.rig.desktop.cursor = spot(day.now / kPointerStep, day.form.windowRect());
                // Window-system events would pile up; real timers stay out.
                QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
                if (firstHourKiB < 0 && day.now >= kHour) {
                    firstHourKiB = residentKiB();
                    widgets = QApplication::allWidgets().size();
                }
            }
            QVERIFY2(day.error.isEmpty(), qPrintable(day.error));
            // A sequence visits every sentence of its topic; random draws spread.
            const int size = (segment.topic == 0 ? kLastPage : 1) * kLinesPerPage;
            QVERIFY2(day.loads > 0 && day.seen.size() >=
                                          (segment.sequence ? size : std::min(day.loads, size) / 3),
                     qPrintable(QStringLiteral("topic %1: %2 loads, %3 seen")
                                    .arg(segment.topic)
                                    .arg(day.loads)
                                    .arg(day.seen.size())));
        }
        const qint64 endKiB = residentKiB();
        qInfo("resident memory %lld KiB after 1 h, %lld KiB after 24 h", firstHourKiB, endKiB);
        QVERIFY(day.rig.messages.isEmpty() && day.speaks > 0 && day.collapses > 100 &&
                day.reopenings > 100);
        QCOMPARE(QApplication::allWidgets().size(), widgets); // no dialog or menu left behind
        // AddressSanitizer keeps freed memory in quarantine, so there resident
        // memory says nothing about leaks (it finds those itself).
#if defined(Q_OS_LINUX) && !defined(__SANITIZE_ADDRESS__)
        QVERIFY(firstHourKiB > 0 && endKiB - firstHourKiB < 4096);
#endif
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
