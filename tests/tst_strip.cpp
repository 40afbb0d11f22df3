#include "StripRig.h"
#include "UnexpectedWarnings.h"
#include "agent/WordBalloon.h"
#include "platform/ProductInfo.h"
#include "platform/Twips.h"
#include "strip/CaptionLine.h"
#include "strip/StripOutline.h"
#include "strip/StripPicture.h"
#include "ui/AboutWindow.h"
#include "ui/SettingsDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
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

// A label as the strip sets its lines up: white words on black.
template <typename Label> QImage drawnLine(const QString& text, const QFont& font)
{
    Label label;
    label.setTextFormat(Qt::PlainText);
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Window, Qt::black);
    label.setPalette(palette);
    label.setAutoFillBackground(true);
    label.setText(text);
    label.resize(600, 19);
    return label.grab().toImage();
}

} // namespace

class TestStrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    // The lines lay their words out once and then only move them; wherever
    // the blanks before the words put them, they look as a plain label's.
    void captionLineLooksLikeALabel_data()
    {
        QTest::addColumn<int>("blanks");
        QTest::addColumn<QString>("words");
        QTest::addColumn<double>("points");
        QTest::newRow("no blank") << 0 << "Buongiorno, signora!" << 10.5;
        QTest::newRow("one blank, kerned T") << 1 << "Tavolo per due, grazie." << 10.5;
        QTest::newRow("scrolling, A") << 17 << "Avete una camera libera?" << 10.5;
        QTest::newRow("scroll starts") << 36 << "Volentieri." << 10.5;
        QTest::newRow("accent, fitted smaller") << 1 << "È tutto? Sì, è tutto." << 8.0;
        QTest::newRow("welcome") << 30 << "Welcome to use Quorvel." << 9.5;
    }
    void captionLineLooksLikeALabel()
    {
        QFETCH(int, blanks);
        QFETCH(QString, words);
        QFETCH(double, points);
        QFont font({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
        font.setPointSizeF(points);
        const QString text = QString(blanks, QLatin1Char(' ')) + words;
        const QImage line = drawnLine<CaptionLine>(text, font);
        QCOMPARE(line, drawnLine<QLabel>(text, font));
        QVERIFY(line != drawnLine<QLabel>(QString(), font)); // the words are drawn
    }

    // The outline skips repaints of its inside, never one that reaches its box.
    void outlineDrawsItsBox()
    {
        StripOutline outline;
        outline.setFrameStyle(QFrame::Box | QFrame::Plain);
        QPalette palette = outline.palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        outline.setPalette(palette);
        outline.resize(100, 20);
        QImage image(outline.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        // Only a corner of the top edge is due: it lands at the image's origin.
        outline.render(&image, QPoint(), QRegion(40, 0, 2, 2), QWidget::DrawChildren);
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::transparent));

        // Whole, it is the box a plain frame draws.
        QFrame frame;
        frame.setFrameStyle(QFrame::Box | QFrame::Plain);
        frame.setPalette(palette);
        frame.resize(outline.size());
        const auto drawn = [](QWidget& widget) {
            QImage whole(widget.size(), QImage::Format_ARGB32);
            whole.fill(Qt::transparent);
            widget.render(&whole, QPoint(), QRegion(), QWidget::DrawChildren);
            return whole;
        };
        QCOMPARE(drawn(outline), drawn(frame));
    }

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
        QVERIFY(rig.keepClear.contains(rig.menu.menu()->geometry()));
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

        StripRig rig({{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}});
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
        QCOMPARE(rig.tray.toolTip(), written + '\n' + rig.strip.english());
        const auto* parrot = dynamic_cast<DesktopCharacter*>(rig.agent.Characters().Item("Peedy"));
        QVERIFY(parrot);
        QCOMPARE(parrot->balloon()->text(), written);
    }

    void slideKeepsItsPace_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::newRow("100%") << 15.0;
        QTest::newRow("125%") << 12.0;
        QTest::newRow("200%") << 7.5;
        QTest::newRow("300%") << 5.0;
    }
    // The slide wakes only when the English line moves, and then stands where
    // a step of 10 twips every 50 ms would have put it.
    void slideKeepsItsPace()
    {
        QFETCH(double, twipsPerPixel);
        StripRig rig;
        rig.desktop.twipsPerPixel = twipsPerPixel;
        rig.state.languageOrder = 1;
        rig.finishWelcome();
        QTimer* slide = rig.timer("Timer3");
        for (int i = 0; i < 200 && !slide->isActive(); ++i)
            rig.strip.advanceCycle();
        QVERIFY(slide->isActive());
        const QLabel* line = rig.label("Label2");
        int elapsed = 0;
        int row = line->y();
        while (slide->isActive() && elapsed < 10000) {
            elapsed += slide->interval();
            rig.strip.slideTick();
            const int twips = std::max(60, 400 - 10 * (elapsed / 50));
            QCOMPARE(line->y(), Twips::toPixels(twips, twipsPerPixel));
            // Only the first step (which shows the words) and the last may
            // leave the line where it was.
            QVERIFY(line->y() != row || elapsed == 50 || !slide->isActive());
            row = line->y();
        }
        QCOMPARE(elapsed, 35 * 50);
        QCOMPARE(line->text(), " " + rig.strip.english());
    }

    // At rest the English words, descenders and all, are drawn inside the
    // strip's outline, and as high as the Italian words (within a pixel).
    // A scaled screen scales the whole strip alike.
    void englishLineInsideTheStrip()
    {
        StripRig rig;
        rig.start();
        rig.finishWelcome();
        const QRegularExpression descender(QStringLiteral("[gjpqy]"));
        for (int i = 0; i < 50 && !rig.strip.english().contains(descender); ++i)
            rig.strip.nextPair();
        QVERIFY(rig.strip.english().contains(descender));
        QTimer* slide = rig.timer("Timer3");
        for (int i = 0; i < 200 && !slide->isActive(); ++i)
            rig.strip.advanceCycle();
        while (slide->isActive())
            rig.strip.slideTick();

        const auto band = [&rig](const char* name) {
            const QLabel* line = rig.label(name);
            return QRect(line->mapTo(&rig.strip, line->contentsRect().topLeft()),
                         line->contentsRect().size());
        };
        QVERIFY(std::abs(band("Label2").center().y() - band("Label1").center().y()) <= 1);

        // The words' white, found row by row below the hairline.
        const QImage strip = rig.strip.grab().toImage();
        const QRect outline = rig.child("Shape1")->geometry();
        int bottom = -1;
        for (int y = outline.top(); y < strip.height(); ++y)
            for (int x = outline.left(); x < outline.width() / 2; ++x)
                if (strip.pixelColor(x, y) == Qt::white)
                    bottom = y;
        QVERIFY(bottom > band("Label2").center().y());
        QVERIFY2(bottom < outline.bottom(), qPrintable(rig.strip.english()));
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
        QCOMPARE(heard("Label2"), QString()); // the English line is not up yet
    }

    // No texts, no parrot: the number shown, sequence on, cycle held under the box.
    void missingString()
    {
        // The rig's empty course says it has no dialogues.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Corpus: dialogues not loaded: "));
        StripRig rig({{"rd", "1"}, {"guage", "4"}, {"guagen", "10410"}},
                     StripRig::NoTexts | StripRig::NoCharacter);
        rig.start();
        rig.state.repeats = 0; // the next tick loads a pair
        rig.strip.setMessageHandler([&](const QString& text) {
            rig.messages << text;
            rig.strip.advanceCycle(); // Timer5 goes on firing under the box
        });
        rig.strip.advanceCycle();
        QCOMPARE(rig.messages, (QStringList{"10410", "10411"})); // the first pair at start-up
        QCOMPARE(rig.strip.cycle().tick(), qint16(1));
        QCOMPARE(rig.strip.italian(), QString());
        QCOMPARE(rig.state.nextSentence, 10412);
    }

    // Every line of the course ends before the menu picture, at a size that
    // still reads well: measured with the strip's own fonts.
    void everyLineReadWhole()
    {
        StripRig rig({{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}});
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

    void blinkKeepsItsBeat_data()
    {
        QTest::addColumn<int>("collapseAt"); // ms after start-up
        QTest::addColumn<bool>("before");    // collapsed and opened once before that
        QTest::addColumn<int>("late");       // ms every wake-up comes after its time
        QTest::addColumn<int>("wait");       // to the first beat
        QTest::addColumn<QString>("colors"); // of the first beats: Green or Red
        QTest::newRow("before the first beat") << 400 << false << 0 << 1100 << "GR";
        QTest::newRow("just after it") << 1501 << false << 0 << 1499 << "RG";
        QTest::newRow("on a beat, woken late") << 3000 << false << 40 << 1500 << "GRG";
        QTest::newRow("after an hour") << 3602000 << false << 0 << 1000 << "RG";
        QTest::newRow("again after opening") << 6500 << true << 0 << 1000 << "GR";
    }

    // The blink sleeps while the strip is open, yet beats and changes colour
    // as a timer started at start-up would: every 1.5 s, green first.
    void blinkKeepsItsBeat()
    {
        QFETCH(int, collapseAt);
        QFETCH(bool, before);
        QFETCH(int, late);
        QFETCH(int, wait);
        QFETCH(QString, colors);
        StripRig rig;
        rig.start();
        rig.finishWelcome();
        rig.state.autoHide = 1;
        QTimer* blink = rig.timer("Timer2");
        const QPoint away(800, 400), top(500, 0);
        const auto beat = [&] {
            rig.clockMs += blink->interval() + late;
            rig.strip.blinkTick();
            return QChar(rig.strip.stripMarkColor() == QColor(0, 255, 0) ? 'G' : 'R');
        };
        if (before) {
            rig.clockMs = 400;
            rig.pointAt(away);
            QCOMPARE(beat(), 'G'); // at 1.5 s
            rig.clockMs = 2000;
            rig.pointAt(top);
            QVERIFY(rig.strip.isFullHeight() && !blink->isActive());
        }
        rig.clockMs = collapseAt;
        rig.pointAt(away);
        QVERIFY(blink->isActive());
        QCOMPARE(blink->interval(), wait);
        for (const QChar expected : colors) {
            QCOMPARE(beat(), expected);
            QCOMPARE(blink->interval(), 1500 - late);
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
        StripRig rig({{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}});
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

    // After the welcome a strip that does not auto-hide wakes only for the
    // cycle's next step: no pointer sampling, no blink, one sleeping timer.
    void sleepsBetweenChanges()
    {
        StripRig rig;
        rig.strip.start();
        while (rig.strip.countdown() > 1)
            rig.strip.pointerTick();
        const auto armed = [&rig] {
            QStringList names;
            for (const QTimer* t : rig.strip.findChildren<QTimer*>())
                if (t->isActive())
                    names << t->objectName();
            names.sort();
            return names.join(' ');
        };
        QCOMPARE(armed(), "Timer5");
        rig.strip.wakeCycle(); // the Italian line scrolls in...
        while (rig.timer("Timer4")->isActive())
            rig.strip.scrollTick();
        // ...and stays up for its 5 s: one wake-up, at its end.
        QCOMPARE(armed(), "Timer5");
        QCOMPARE(rig.timer("Timer5")->interval(), 50 * 100);
        QVERIFY(rig.timer("Timer5")->isSingleShot());

        rig.menu.openSettings(); // auto-hide may be switched on in there
        QCOMPARE(armed(), "Timer1");
        rig.menu.settingsDialog()->findChild<QCheckBox*>("Check4")->click();
        rig.menu.settingsDialog()->close();
        QCOMPARE(armed(), "Timer1 Timer5");
    }

    void pauseHoldsTheLine_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("settings"); // Settings opened and closed while paused
        QTest::newRow("Italian first") << 1 << false;
        QTest::newRow("English first, Settings meanwhile") << 0 << true;
    }

    // Pause stops the cycle where it is and the voice at once; the line stays
    // and the picture shows it. Settings closing does not undo it; resuming
    // goes on from the same tick.
    void pauseHoldsTheLine()
    {
        QFETCH(int, order);
        QFETCH(bool, settings);
        StripRig rig;
        rig.start();
        rig.state.languageOrder = qint16(order);
        rig.finishWelcome();
        for (int i = 0; i < 20; ++i)
            rig.strip.advanceCycle();
        const QString line = rig.label(order == 1 ? "Label1" : "Label2")->text();
        const QImage playing = rig.child("Image1")->grab().toImage();
        rig.log.clear();
        rig.strip.setPaused(true);
        QCOMPARE(rig.log, QStringList{"Stop"});
        QVERIFY(!rig.timer("Timer5")->isActive());
        QVERIFY(rig.child("Image1")->grab().toImage() != playing);
        if (settings) {
            rig.menu.openSettings();
            rig.menu.settingsDialog()->close();
            QVERIFY(!rig.timer("Timer5")->isActive());
        }
        rig.strip.setPaused(false);
        QVERIFY(rig.timer("Timer5")->isActive());
        QCOMPARE(rig.strip.cycle().tick(), qint16(20));
        QCOMPARE(rig.label(order == 1 ? "Label1" : "Label2")->text(), line);
        QCOMPARE(rig.child("Image1")->grab().toImage(), playing);
    }

    // Settings closed mid-cycle with fewer repetitions or a shorter time: the pair
    // on show stays, and a line whose time is up does not slide back in.
    void settingsChangedMidCycle()
    {
        StripRig rig(
            {{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}, {"n", "2"}, {"etime", "15"}});
        rig.start();
        CaptionStrip& form = rig.strip;
        rig.finishWelcome();
        const DisplayCycle& cycle = form.cycle();
        const auto tickUntil = [&](auto done) {
            for (int i = 0; i < 1000 && !done(); ++i)
                form.advanceCycle();
            return done();
        };
        QVERIFY(tickUntil([&] { return cycle.cycle() == 1 && cycle.phase() == 1; }));
        const QString italian = form.italian();
        rig.state.repeats = 1;
        form.advanceCycle();
        QCOMPARE(form.italian(), italian);

        QVERIFY(tickUntil([&] { return cycle.phase() == 3; }));
        QVERIFY(rig.timer("Timer3")->isActive());
        rig.state.italianTime = 5;
        QVERIFY(tickUntil([&] { return cycle.phase() == 0; }));
        QVERIFY(!rig.timer("Timer3")->isActive());
        QCOMPARE(rig.label("Label2")->text(), QString(" "));
        QCOMPARE(form.englishLineTopTwips(), 400);
    }
};

QTEST_MAIN(TestStrip)
#include "tst_strip.moc"
