#include "StripRig.h"
#include "app/StripPicture.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
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

    void startup_data()
    {
        QTest::addColumn<StripRig::Stored>("stored"); // empty: the first run
        QTest::addColumn<int>("left");                // pixels
        QTest::addColumn<int>("ticks");               // of Timer1 after start-up
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("state"); // "held back": a dialog is open

        const StripRig::Stored first;
        const QString welcome = QStringLiteral(" Welcome to use Quorvel V1.01.");
        QTest::newRow("first run") << first << 379 << 0 << QString() << "starting";
        QTest::newRow("later run")
            << StripRig::Stored{{"left", "-3000"}} << -200 << 0 << QString() << "starting";
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
        rig.form.Image1->setEnabled(state != "held back");
        for (int i = 0; i < ticks; ++i)
            rig.form.Timer1_Timer();
        QStringList calls{"Load:Peedy:", "Show", "LanguageID:1040"};
        if (stored.isEmpty()) // the first run writes every setting, in this order
            for (const char* key :
                 {"ce", "n", "ctime", "etime", "rd", "psave", "ssave", "visi", "voice", "guage",
                  "guagen", "red", "mark", "xxx", "left", "sspeed"})
                calls << QStringLiteral("write:") + key;
        QCOMPARE(rig.log, calls << QStringLiteral("MoveTo:%1,29").arg(left + 477)); // parrot last
        QCOMPARE(rig.form.mrctWindow, QRect(left, 0, 477, 23)); // a stored left is kept as it is
        QCOMPARE(rig.form.Label1->text(), line);
        QCOMPARE(rig.form.isVisible(), state != "starting");
        QCOMPARE(rig.form.startupWindow() == nullptr, state != "starting");
        QCOMPARE(rig.form.Timer5->isActive(), state == "playing");
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

        StripRig rig({{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}});
        rig.start();
        Form1& form = rig.form;
        rig.state.gintLanguageOrder = qint16(order);
        rig.state.gintReadAloud = qint16(readAloud);
        rig.state.gintRepeats = qint16(repeats);
        rig.state.gintCountdown = 1; // the welcome is over
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
            form.Timer1_Timer();
            form.Timer2_Timer();
            form.Timer5_Timer();
            int animated = 0; // scroll-in and slide-up run to their end
            for (; form.Timer4->isActive() && animated < 100; ++animated)
                form.Timer4_Timer();
            for (; form.Timer3->isActive() && animated < 100; ++animated)
                form.Timer3_Timer();
            QCoreApplication::processEvents();
            const int c = (t - 1) % 82 + 1;
            QCOMPARE(animated, c == italianFrom ? 36 : c == englishFrom ? 35 : 0);
            QCOMPARE(painted.count > paints, animated > 0 || c == 82);
            QCOMPARE(form.Label1->text() == " " + form.mstrItalian,
                     c >= italianFrom && c <= italianTo);
            QCOMPARE(form.label2TopTwips() == 60 && form.Label2->text() == " " + form.mstrEnglish,
                     c >= englishFrom && c <= englishTo);
            QCOMPARE(rig.state.gintNextSentence, 10102 + (t - 1) / 82 / repeats);
            // The Italian line is spoken (if read aloud) and waved at; English never.
            const QStringList said{"Speak:" + form.mstrItalian, "Play:Wave"};
            QCOMPARE(rig.log.mid(logged),
                     c != italianFrom ? QStringList() : said.mid(readAloud != 1));
        }
    }

    // No texts, no parrot: the number shown, texts kept, sequence on, cycle held.
    void missingString()
    {
        StripRig rig({{"rd", "1"}, {"guage", "4"}, {"guagen", "10410"}},
                     StripRig::NoTexts | StripRig::NoCharacter);
        rig.start();
        rig.form.mstrItalian = QStringLiteral("Buongiorno.");
        rig.state.gintCycle = rig.state.gintRepeats; // the next tick loads a pair
        rig.form.setMessageHandler([&](const QString& text) {
            rig.messages << text;
            rig.form.Timer5_Timer(); // Timer5 goes on firing under the box
        });
        rig.form.Timer5_Timer();
        QCOMPARE(rig.messages, (QStringList{"10410", "10411"})); // the first pair at start-up
        QCOMPARE(rig.state.gintTick, qint16(1));
        QCOMPARE(rig.form.mstrItalian, QStringLiteral("Buongiorno."));
        QCOMPARE(rig.state.gintNextSentence, 10412);
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
        rig.state.gintCountdown = before == "welcome" ? 30 : 1;
        rig.state.gintAutoHide = before == "off" ? 0 : 1;
        rig.form.mblnDragging = before == "held" ? -1 : 0;
        rig.pointAt(pointer);
        QCOMPARE(rig.form.geometry(), QRect(100, 0, 477, open ? 23 : 1));
        rig.form.mblnDragging = before == "pressed" ? -1 : 0;
        const QColor green(0, 255, 0), red(255, 0, 0);
        const auto name = [&](QColor c) { return QChar(c == green ? 'G' : c == red ? 'R' : '-'); };
        for (const QChar expected : blink) {
            rig.form.Timer2_Timer();
            rig.form.mblnDragging = 0; // let go
            const QImage shot = rig.form.grab().toImage();
            for (const int x : {0, 476}) // the whole strip, over the hairline
                QCOMPARE(name(shot.pixelColor(x, shot.height() - 1)), expected);
        }
    }

    void menuPicture()
    {
        StripRig rig({{"left", "1500"}});
        rig.start();
        QRect menu;
        QTimer::singleShot(0, [&menu] { // closed as soon as it is up
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menu = popup->geometry();
                popup->close();
            }
        });
        QMouseEvent move(QEvent::MouseMove, QPointF(), QPointF(), Qt::NoButton, {}, {});
        rig.form.Image1->setEnabled(false); // a dialog is open
        QApplication::sendEvent(rig.form.Image1, &move);
        QVERIFY(menu.isNull());
        rig.form.Image1->setEnabled(true);
        QApplication::sendEvent(rig.form.Image1, &move);
        // Its top-right corner 7110 twips across the strip and 350 twips down.
        QCOMPARE(menu.topRight(), QPoint(100 + 473, 23));
    }

    // Settings closed mid-cycle with fewer repetitions or a shorter time: the pair
    // on show stays, and a line whose time is up does not slide back in.
    void settingsChangedMidCycle()
    {
        StripRig rig(
            {{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}, {"n", "2"}, {"etime", "15"}});
        rig.start();
        Form1& form = rig.form;
        rig.state.gintCountdown = 1;
        const auto tickUntil = [&](auto done) {
            for (int i = 0; i < 1000 && !done(); ++i)
                form.Timer5_Timer();
            return done();
        };
        QVERIFY(tickUntil([&] { return rig.state.gintCycle == 1 && rig.state.gintPhase == 1; }));
        const QString italian = form.mstrItalian;
        rig.state.gintRepeats = 1;
        form.Timer5_Timer();
        QCOMPARE(form.mstrItalian, italian);

        QVERIFY(tickUntil([&] { return rig.state.gintPhase == 3; }));
        QVERIFY(form.Timer3->isActive());
        rig.state.gintItalianTime = 5;
        QVERIFY(tickUntil([&] { return rig.state.gintPhase == 0; }));
        QVERIFY(!form.Timer3->isActive());
        QCOMPARE(form.Label2->text(), QString(" "));
        QCOMPARE(form.label2TopTwips(), 400);
    }
};

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
