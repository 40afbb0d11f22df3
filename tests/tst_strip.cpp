#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "agent/WordBalloon.h"
#include "platform/ProductInfo.h"
#include "strip/LineFit.h"
#include "ui/AboutWindow.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>

namespace {

// Counts the paints and relayouts of the widgets it watches.
struct RepaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        count += e->type() == QEvent::Paint || e->type() == QEvent::LayoutRequest;
        return false;
    }
};

} // namespace

class TestStrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    void startup_data()
    {
        QTest::addColumn<StripRig::Stored>("stored"); // empty: the first run
        QTest::addColumn<int>("left");                // pixels
        QTest::addColumn<int>("ticks");               // of Timer1 after start-up
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("state"); // "held back": a dialog is open

        const StripRig::Stored first;
        const QString welcome =
            QStringLiteral(" Welcome to use %1.").arg(ProductInfo::kVersionText);
        QTest::newRow("first run") << first << 379 << 0 << QString() << "starting";
        // Pushed inside the screen, as a drag would have left it.
        QTest::newRow("later run")
            << StripRig::Stored{{"left", "-3000"}} << 0 << 0 << QString() << "starting";
        QTest::newRow("19") << first << 379 << 19 << QString(31, ' ') + welcome << "starting";
        QTest::newRow("20") << first << 379 << 20 << QString(30, ' ') + welcome << "shown";
        QTest::newRow("67") << first << 379 << 67 << welcome << "shown";
        QTest::newRow("68") << first << 379 << 68 << QString(" ") << "playing";
        QTest::newRow("500, dialog open") << first << 379 << 500 << QString(" ") << "held back";
    }

    // Start-up, then the welcome: the strip replaces the start-up window, playback starts.
    void startup()
    {
        QFETCH(StripRig::Stored, stored);
        QFETCH(int, left);
        QFETCH(int, ticks);
        QFETCH(QString, line);
        QFETCH(QString, state);

        StripRig rig(stored);
        rig.start();
        rig.strip.setDialogOpen(state == "held back");
        for (int i = 0; i < ticks; ++i)
            rig.strip.pointerTick();
        QStringList calls{"Load:Peedy:", "Show", "LanguageID:1040"};
        if (stored.isEmpty()) // the first run writes every setting, in this order
            for (const char* key :
                 {"ce", "n", "ctime", "etime", "rd", "psave", "ssave", "visi", "voice", "guage",
                  "guagen", "red", "mark", "xxx", "left", "sspeed"})
                calls << QStringLiteral("write:") + key;
        QCOMPARE(rig.log, calls << QStringLiteral("MoveTo:%1,29").arg(left + 477)); // parrot last
        QCOMPARE(rig.strip.windowRect(), QRect(left, 0, 477, 23));
        QCOMPARE(rig.label("Label1")->text(), line);
        QCOMPARE(rig.strip.isVisible(), state != "starting");
        QCOMPARE(rig.splashShown(), state == "starting");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(rig.tutor.splash() != nullptr, state == "starting"); // let go, not just hidden
        QCOMPARE(rig.timer("Timer5")->isActive(), state == "playing");
    }

    void startsInsideItsMonitor_data()
    {
        QTest::addColumn<QString>("left");    // stored, in twips; empty: a first run
        QTest::addColumn<QRect>("available"); // of the primary monitor
        QTest::addColumn<QRect>("second");    // a second monitor, or none
        QTest::addColumn<QRect>("strip");
        const QRect primary(0, 0, 1024, 768), none;
        const QRect second(1024, 0, 1280, 800);
        QTest::newRow("first run") << QString() << primary << none << QRect(379, 0, 477, 23);
        QTest::newRow("past the right") << "99999" << primary << none << QRect(550, 0, 477, 23);
        // 1280x720 at scale 2: the picture end still on the screen.
        QTest::newRow("narrow screen")
            << QString() << QRect(0, 0, 640, 360) << none << QRect(166, 0, 477, 23);
        QTest::newRow("below a top panel")
            << "1500" << QRect(0, 30, 1024, 738) << none << QRect(100, 30, 477, 23);
        QTest::newRow("on the second monitor")
            << "22500" << primary << second << QRect(1500, 0, 477, 23);
        QTest::newRow("second monitor gone")
            << "22500" << primary << none << QRect(550, 0, 477, 23);
        QTest::newRow("beyond every monitor")
            << "99999" << primary << second << QRect(550, 0, 477, 23);
    }

    // Wherever "left" came from, the whole strip starts on one monitor, on
    // the top of its free area, and the other windows open on that monitor.
    // The parrot is told where it is.
    void startsInsideItsMonitor()
    {
        QFETCH(QString, left);
        QFETCH(QRect, available);
        QFETCH(QRect, second);
        QFETCH(QRect, strip);
        StripRig rig(left.isEmpty() ? StripRig::Stored{} : StripRig::Stored{{"left", left}});
        rig.desktop.screen = QRect(available.topLeft() - QPoint(0, available.top()),
                                   available.size() + QSize(0, available.top()));
        rig.desktop.available = available;
        if (!second.isNull())
            rig.desktop.others = {{second, second}};
        rig.start();
        QCOMPARE(rig.strip.windowRect(), strip);
        // Shown, the strip tells the parrot's balloon where to keep off.
        rig.strip.show();
        QCOMPARE(rig.keepClear, strip);
        // ... and of the open menu below it, until it goes.
        rig.menu.popup(strip.topRight());
        QVERIFY(rig.keepClear.contains(rig.menu.menu()->geometry()) &&
                rig.keepClear.contains(strip));
        rig.menu.menu()->hide();
        QCOMPARE(rig.keepClear, strip);
        // The menu picture's end, 7110 twips in, is on the strip's monitor.
        QVERIFY(rig.desktop.screenGeometry().contains(strip.topLeft() + QPoint(473, 0)));
        rig.menu.openAbout();
        const QRect about = rig.menu.aboutWindow()->geometry();
        QCOMPARE(about.center() / 10, rig.desktop.screenGeometry().center() / 10);
    }

    void displayCycle_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("readAloud");
        QTest::addColumn<int>("repeats");
        QTest::newRow("italian first") << 1 << 1 << 1;
        QTest::newRow("english first, silent") << 0 << 0 << 2;
        QTest::newRow("english first (2)") << 2 << 1 << 3;
    }

    // Four cycles of Italian 5 s, English 3 s; the strip is redrawn only for a change.
    void displayCycle()
    {
        QFETCH(int, order);
        QFETCH(int, readAloud);
        QFETCH(int, repeats);

        StripRig rig(StripRig::kInSequence);
        rig.start();
        CaptionStrip& form = rig.strip;
        rig.state.languageOrder = qint16(order);
        rig.state.readAloud = qint16(readAloud);
        rig.state.repeats = qint16(repeats);
        rig.finishWelcome();
        form.show();
        QCoreApplication::processEvents();
        RepaintCounter painted;
        for (QWidget* w : form.findChildren<QWidget*>())
            w->installEventFilter(&painted);
        const auto [italianFrom, italianTo] = order == 1 ? std::pair(1, 50) : std::pair(31, 81);
        const auto [englishFrom, englishTo] = order == 1 ? std::pair(51, 81) : std::pair(1, 30);
        for (int t = 1; t <= 4 * 82; ++t) {
            const qsizetype logged = rig.log.size();
            const int paints = painted.count;
            form.pointerTick();
            form.blinkTick();
            form.advanceCycle();
            int animated = 0; // ms of scroll-in and slide-up, run to their end
            for (QTimer* timer : {rig.timer("Timer4"), rig.timer("Timer3")}) {
                while (timer->isActive() && animated < 10000) {
                    animated += timer->interval(); // the wait before this step
                    timer == rig.timer("Timer4") ? form.scrollTick() : form.slideTick();
                }
            }
            QCoreApplication::processEvents();
            const int c = (t - 1) % 82 + 1;
            QCOMPARE(animated, c == italianFrom ? 36 * 80 : c == englishFrom ? 35 * 50 : 0);
            QCOMPARE(painted.count > paints, animated > 0 || c == 82);
            QCOMPARE(rig.label("Label1")->text() == " " + form.italian(),
                     c >= italianFrom && c <= italianTo);
            QCOMPARE(form.englishLineTopTwips() == 60 &&
                         rig.label("Label2")->text() == " " + form.english(),
                     c >= englishFrom && c <= englishTo);
            QCOMPARE(rig.state.nextSentence, 10102 + (t - 1) / 82 / repeats);
            QCOMPARE(rig.label("Label1")->toolTip(), form.italian()); // in sequence only
            // The Italian line is spoken (if read aloud, at the stored pace) and
            // waved at; English never.
            const QStringList said{"Pace:150", "Speak:" + form.italian(), "Play:Wave"};
            QCOMPARE(rig.log.mid(logged),
                     c != italianFrom ? QStringList() : said.mid(readAloud != 1 ? 2 : 0));
        }
    }

    // A line is shown as written (in the strip, its tooltip, the tray's and
    // the parrot's balloon) while the voice is given its spoken form, here
    // "Hò" for the open o of "Ho".
    void voiceGetsTheSpokenForm()
    {
        StripRig rig({{"rd", "1"}, {"guage", "0"}, {"guagen", "10102"}}, StripRig::RealParrot);
        rig.start();
        rig.state.readAloud = 1;
        rig.finishWelcome();
        const QString written = rig.corpus.lookup(10102).value_or(QString());
        const QString spoken = rig.corpus.spoken(10102).value_or(QString());
        QVERIFY(written.startsWith("Ho ") && spoken.startsWith(QString::fromUtf8("Hò ")));
        for (int t = 0; t < 100 && rig.speech->said.isEmpty(); ++t)
            rig.strip.advanceCycle();
        QCOMPARE(rig.speech->said, QStringList{spoken});
        QCOMPARE(rig.strip.italian(), written);
        QCOMPARE(rig.label("Label1")->toolTip(), written);
        QCOMPARE(rig.tray().toolTip(), written + '\n' + rig.strip.english());
        const auto* parrot = dynamic_cast<DesktopCharacter*>(rig.agent.Characters().Item("Peedy"));
        QVERIFY(parrot);
        QCOMPARE(parrot->balloon()->text(), written);
    }

    void italianLineName_data()
    {
        QTest::addColumn<int>("steps"); // of the scroll-in
        QTest::newRow("first step") << 1;
        QTest::newRow("half way") << 18;
        QTest::newRow("in place") << 36;
    }
    // A screen reader hears the sentence, not the blanks it scrolls in behind,
    // and nothing from a line that is not shown.
    void italianLineName()
    {
        QFETCH(int, steps);
        StripRig rig;
        rig.start();
        rig.finishWelcome();
        rig.strip.loadSentencePair();
        for (int i = 0; i < steps; ++i)
            rig.strip.scrollTick();
        const auto heard = [&rig](const char* name) {
            return QAccessible::queryAccessibleInterface(rig.child(name))->text(QAccessible::Name);
        };
        const QString italian = rig.strip.italian().trimmed();
        const QString shown = rig.label("Label1")->text();
        QVERIFY(!italian.isEmpty() && shown.startsWith(' ') && shown.trimmed() == italian);
        QCOMPARE(heard("Label1"), italian);
        QCOMPARE(heard("Label2"), QString());              // the English line is not up yet
        QVERIFY(rig.label("Label1")->toolTip().isEmpty()); // at random: no tooltip
    }

    // A line that fits keeps its size; one far too wide for any size goes
    // down to 8 points and no further.
    void lineFit()
    {
        QFont font;
        font.setPointSizeF(10.5);
        QCOMPARE(LineFit::fitted(font, QString(20, 'm'), 300).pointSizeF(), 10.5);
        QCOMPARE(LineFit::fitted(font, QString(300, 'm'), 300).pointSizeF(), 8.0);
    }

    // Every line of the course ends before the menu picture, at a size that
    // still reads well: measured with the strip's own fonts.
    void everyLineReadWhole()
    {
        StripRig rig(StripRig::kInSequence);
        rig.start();
        const int room = rig.child("Label4")->x();
        int shrunk = 0;
        for (int n = 0; n < 19 * 28; ++n) {
            rig.strip.loadSentencePair();
            for (const char* name : {"Label1", "Label2"}) {
                const QLabel* line = rig.label(name);
                const QString text =
                    " " + (line == rig.label("Label1") ? rig.strip.italian() : rig.strip.english());
                const QFont font = line->font();
                QVERIFY2(QFontMetrics(font).horizontalAdvance(text) < room, qPrintable(text));
                QVERIFY(font.pointSizeF() >= 8.0);
                shrunk += font.pointSizeF() < 10.5;
            }
        }
        QVERIFY(rig.messages.isEmpty());
        qInfo("%d of %d lines set smaller", shrunk, 2 * 19 * 28);
    }

    void autoHide_data()
    {
        // open, closed, welcome, off (no auto-hide), held, or closed and pressed after the tick
        QTest::addColumn<QString>("before");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("blink"); // the next two Timer2 ticks: Green, Red, - none

        const QPoint away(800, 400); // the strip spans x 100..576, y 0..22
        QTest::newRow("welcome") << "welcome" << away << true << "--";
        QTest::newRow("auto-hide off") << "off" << away << true << "--";
        QTest::newRow("held") << "held" << away << true << "--";
        QTest::newRow("away") << "open" << away << false << "GR";
        QTest::newRow("inside") << "open" << QPoint(576, 22) << true << "--";
        QTest::newRow("just below") << "open" << QPoint(300, 23) << false << "GR";
        QTest::newRow("y 3") << "closed" << QPoint(100, 3) << true << "--";
        QTest::newRow("y 4") << "closed" << QPoint(300, 4) << false << "GR";
        QTest::newRow("right of it") << "closed" << QPoint(577, 0) << false << "GR";
        QTest::newRow("pressed") << "pressed" << away << false << "-R";
    }

    void autoHide()
    {
        QFETCH(QString, before);
        QFETCH(QPoint, pointer);
        QFETCH(bool, open);
        QFETCH(QString, blink);

        StripRig rig({{"left", "1500"}});
        rig.start();
        if (before == "closed" || before == "pressed")
            rig.collapse();
        if (before == "welcome")
            for (int i = 0; i < 40; ++i)
                rig.strip.pointerTick();
        else
            rig.finishWelcome();
        rig.state.autoHide = before == "off" ? 0 : 1;
        rig.desktop.cursor = pointer;
        if (before == "held")
            rig.strip.beginDrag();
        rig.pointAt(pointer);
        QCOMPARE(rig.strip.geometry(), QRect(100, 0, 477, open ? 23 : 1));
        if (before == "pressed") // held after the tick: the strip stays collapsed
            rig.strip.beginDrag();
        const QColor green(0, 255, 0), red(255, 0, 0);
        const auto name = [&](QColor c) { return QChar(c == green ? 'G' : c == red ? 'R' : '-'); };
        for (const QChar expected : blink) {
            rig.clockMs += 1500; // the next beat
            rig.strip.blinkTick();
            if (rig.strip.isDragging()) { // let go; auto-hide takes a pressed strip back in
                rig.strip.endDrag();
                if (before == "pressed")
                    rig.pointAt(pointer);
            }
            const QImage shot = rig.strip.grab().toImage();
            for (const int x : {0, 476}) // the whole strip, over the hairline
                QCOMPARE(name(shot.pixelColor(x, shot.height() - 1)), expected);
        }
    }

    void cycleKeepsTheClock_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("italian"); // seconds
        QTest::addColumn<int>("english");
        QTest::addColumn<int>("repeats");
        QTest::addColumn<int>("late");     // ms every wake-up comes after its time
        QTest::addColumn<QString>("hold"); // Settings or a pause, 7.777 s long
        QTest::addColumn<int>("holdAt");   // ms of playback
        QTest::newRow("Italian first, 5 + 3") << 1 << 5 << 3 << 1 << 0 << "" << 0;
        QTest::newRow("English first, 5 + 3, woken late") << 0 << 5 << 3 << 2 << 37 << "" << 0;
        QTest::newRow("15 + 15, Settings in the Italian line")
            << 1 << 15 << 15 << 1 << 0 << "settings" << 2345;
        QTest::newRow("English first, 15 + 15, paused in the English line")
            << 0 << 15 << 15 << 3 << 12 << "pause" << 7654;
        QTest::newRow("1 + 1, Settings in the English line")
            << 1 << 1 << 1 << 2 << 0 << "settings" << 1250;
        QTest::newRow("English first (2), 7 + 4, paused between cycles")
            << 2 << 7 << 4 << 2 << 5 << "pause" << 11250;
    }

    // Each step lands on its tick of playback, counted from the start of
    // playback however late the timer wakes and wherever a hold falls: the
    // first line at 0.1 s, the second a line's time later, the end at
    // I + E + 0.2 s. One wake-up per step.
    void cycleKeepsTheClock()
    {
        QFETCH(int, order);
        QFETCH(int, italian);
        QFETCH(int, english);
        QFETCH(int, repeats);
        QFETCH(int, late);
        QFETCH(QString, hold);
        QFETCH(int, holdAt);
        StripRig rig(StripRig::kInSequence);
        rig.start();
        rig.state.languageOrder = qint16(order);
        rig.state.italianTime = qint16(italian);
        rig.state.englishTime = qint16(english);
        rig.state.repeats = qint16(repeats);
        rig.finishWelcome(); // playback starts at 0 ms
        const int first = 1000 * (order == 1 ? italian : english);
        const int period = 1000 * (italian + english) + 200;
        QStringList expected;
        for (int c = 0; c < 4; ++c) {
            const QString load = c > 0 && c % repeats == 0 ? "L " : "";
            const int base = c * period + late;
            expected
                << QStringLiteral("%1 %2%3").arg(base + 100).arg(load, order == 1 ? "I+" : "E+")
                << QStringLiteral("%1 %2")
                       .arg(base + first + 100)
                       .arg(order == 1 ? "I- E+" : "I+ E-")
                << QStringLiteral("%1 %2").arg(base + period).arg(order == 1 ? "E-" : "I-");
        }
        const auto setHeld = [&](bool held) {
            hold == "pause" ? rig.strip.setPaused(held) : rig.strip.setDialogOpen(held);
        };
        // Left unticked, the scroll and the slide run from their line's start to its end.
        const QTimer* italianUp = rig.timer("Timer4");
        const QTimer* englishUp = rig.timer("Timer3");
        QTimer* cycle = rig.timer("Timer5");
        bool wasItalian = false, wasEnglish = false, held = hold.isEmpty();
        QString pair = rig.strip.italian();
        qint64 heldMs = 0;
        int wakes = 0;
        QStringList seen;
        while (rig.clockMs - heldMs < 4 * period && wakes < 100) {
            const qint64 wake = rig.clockMs + cycle->interval() + late;
            if (!held && wake - heldMs > holdAt) {
                rig.clockMs = holdAt + heldMs;
                setHeld(true);
                QVERIFY(!cycle->isActive());
                rig.clockMs += 7777;
                heldMs += 7777;
                setHeld(false);
                held = true;
                continue; // armed again for the rest of its wait
            }
            rig.clockMs = wake;
            rig.strip.wakeCycle();
            ++wakes;
            QStringList happened;
            if (rig.strip.italian() != pair)
                happened << "L";
            pair = rig.strip.italian();
            if (italianUp->isActive() != wasItalian)
                happened << ((wasItalian = !wasItalian) ? "I+" : "I-");
            if (englishUp->isActive() != wasEnglish)
                happened << ((wasEnglish = !wasEnglish) ? "E+" : "E-");
            if (!happened.isEmpty())
                seen << QStringLiteral("%1 %2").arg(rig.clockMs - heldMs).arg(happened.join(' '));
        }
        QCOMPARE(seen, expected);
        QCOMPARE(wakes, 4 * 3);
    }
};

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
