#include "FakeSpeechOutput.h"
#include "UnexpectedWarnings.h"
#include "agent/AgentControl.h"
#include "agent/AlphaRegion.h"
#include "agent/BalloonPlacement.h"
#include "agent/DesktopCharacter.h"
#include "agent/ParrotWindow.h"
#include "agent/SpeechPace.h"
#include "agent/SpeechWorker.h"
#include "agent/WordBalloon.h"

#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(ParrotPose)

namespace {

const QRect kScreen(0, 0, 1024, 768);
const QString kItalian = QStringLiteral("Buongiorno, mi chiamo Paolo. Piacere di conoscerti!");

// A parrot with a fake voice on a 1024x768 screen, and a clock the test steps.
struct Rig {
    explicit Rig(const QStringList& offered = {"en_US", "it_IT"})
    {
        auto fake = std::make_unique<FakeSpeechOutput>(offered);
        speech = fake.get();
        parrot = std::make_unique<DesktopCharacter>(std::move(fake));
        parrot->setClock([this] { return now; });
        parrot->setScreenArea([](const QPoint&) { return kScreen; });
    }
    // Moves the clock on and delivers one frame, as the frame timer would.
    void frameAt(qint64 ms)
    {
        now = ms;
        parrot->advanceFrame();
    }
    // Asks for the Italian voice, shows the parrot and plays its appearing.
    void showSettled()
    {
        parrot->setLanguageID(1040);
        parrot->Show();
        frameAt(now + ParrotMotion::kShowMs);
    }

    qint64 now = 1000;
    FakeSpeechOutput* speech = nullptr;
    std::unique_ptr<DesktopCharacter> parrot;
};

} // namespace

class TestAgent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnUnexpectedWarnings(); }
    // Only the built-in parrot loads, by its exact id.
    void loadById()
    {
        AgentControl agent;
        QVERIFY(!agent.Characters().Load("Merlin", {}) && !agent.Characters().Load("peedy", {}));
        QVERIFY(agent.Characters().Load("Peedy", {}));
        QVERIFY(dynamic_cast<DesktopCharacter*>(agent.Characters().Item("Peedy")));
        QVERIFY(!agent.Characters().Item("peedy"));
    }

    // Hiding the parrot is how reading aloud is switched off: what it was
    // asked while hidden, or before the engine came up, is never read.
    void hiddenCharacterDropsRequests()
    {
        Rig rig;
        rig.speech->startsAtOnce = false;
        rig.parrot->Speak(kItalian); // not shown yet
        rig.showSettled();
        rig.parrot->Speak(kItalian); // waits for the engine
        rig.parrot->Hide();
        rig.speech->bringUp();
        rig.frameAt(rig.now + ParrotMotion::kHideMs);
        rig.parrot->Speak(kItalian);
        rig.parrot->Play(QStringLiteral("Wave"));
        QVERIFY(rig.speech->said.isEmpty());
        QVERIFY(!rig.parrot->isAnimating() && !rig.parrot->balloon()->isPresented());
    }

    // A frame repaints only what moved: every pixel that differs between two
    // poses lies in the area said to change, and a wave or a blink leaves
    // most of the bird alone.
    void changedArea_data()
    {
        QTest::addColumn<ParrotPose>("from");
        QTest::addColumn<ParrotPose>("to");
        QTest::addColumn<bool>("whole");
        const ParrotPose rest;
        QTest::newRow("wing lifts") << rest << ParrotPose{-30.0, 1.0, 1.0, 1.0} << false;
        QTest::newRow("wing swings")
            << ParrotPose{-60.0, 1.0, 1.0, 1.0} << ParrotPose{-45.0, 1.0, 1.0, 1.0} << false;
        QTest::newRow("eye half shut") << rest << ParrotPose{0.0, 0.6, 1.0, 1.0} << false;
        QTest::newRow("eye shut") << ParrotPose{0.0, 0.6, 1.0, 1.0}
                                  << ParrotPose{0.0, 0.2, 1.0, 1.0} << false;
        QTest::newRow("grows") << ParrotPose{0.0, 1.0, 1.0, 0.5} << rest << true;
        QTest::newRow("fades") << rest << ParrotPose{0.0, 1.0, 0.5, 1.0} << true;
    }
    void changedArea()
    {
        QFETCH(ParrotPose, from);
        QFETCH(ParrotPose, to);
        QFETCH(bool, whole);
        const ParrotArt art;
        const QRect changed = art.changedArea(from, to);
        const QImage before = art.image(from, 1.0);
        const QImage after = art.image(to, 1.0);
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                if (before.pixel(x, y) != after.pixel(x, y))
                    QVERIFY2(changed.contains(x, y),
                             qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        QCOMPARE(changed == QRect(QPoint(0, 0), art.size()), whole);
        QVERIFY(art.changedArea(to, to).isEmpty());
        // Drawing just that area again turns one frame into the other.
        for (const qreal ratio : {1.0, 2.0}) {
            QImage frame = art.image(from, ratio);
            art.redraw(frame, to, changed);
            QCOMPARE(frame, art.image(to, ratio));
        }
    }

    // Without a compositor see-through pixels come out black, so the window's
    // shape follows the bird in every frame; with one, one shape covers the
    // bird at rest and the wing's whole sweep. The frame timer runs only
    // while the parrot moves.
    void maskFollowsTheWave_data()
    {
        QTest::addColumn<bool>("composited");
        QTest::newRow("compositor") << true;
        QTest::newRow("no compositor") << false;
    }
    void maskFollowsTheWave()
    {
        QFETCH(bool, composited);
        Rig rig;
        ParrotWindow* window = rig.parrot->window();
        int asked = 0;
        window->setCompositingCheck([&] {
            ++asked;
            return composited;
        });
        rig.showSettled();
        QCoreApplication::processEvents(); // the window is exposed: it paints
        const QRegion rest = window->mask();
        QVERIFY(!rig.parrot->isAnimating());
        const qint64 start = rig.now;
        const int askedBefore = asked;
        rig.parrot->Play(QStringLiteral("Wave"));
        QList<QRegion> masks;
        for (qint64 t = start + 100; t < start + ParrotMotion::kWaveMs; t += 100) {
            rig.frameAt(t);
            QVERIFY(rig.parrot->isAnimating());
            if (composited)
                QVERIFY((rest - window->mask()).isEmpty() && !(window->mask() - rest).isEmpty());
            const QImage drawn = window->art().image(window->pose(), 1.0);
            // No pixel of the shape may be one the frame leaves (nearly) clear.
            const QRegion clear = QRegion(window->rect()) -
                                  alphaRegion(drawn, composited ? 1 : ParrotWindow::kSolidAlpha);
            QCOMPARE((window->mask() & clear).isEmpty(), !composited);
            if (!composited) // and it leaves out nothing solid
                QVERIFY((window->mask() ^ alphaRegion(drawn, ParrotWindow::kSolidAlpha)).isEmpty());
            // Without a compositor the frame goes out together with its shape.
            QCOMPARE(window->frame() == window->art().image(window->pose(), 1.0), !composited);
            if (!masks.contains(window->mask()))
                masks.append(window->mask());
        }
        QCOMPARE(asked, askedBefore + 1); // once as the wave began, not per frame
        QCOMPARE(masks.size() > 2, !composited);
        rig.frameAt(start + ParrotMotion::kWaveMs);
        QVERIFY(!rig.parrot->isAnimating());
        QCOMPARE(window->mask(), rest);
    }

    void speak_data()
    {
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QString>("voice"); // empty: silent, never English for Italian text
        QTest::newRow("it_IT present") << QStringList{"en_US", "it_CH", "it_IT"} << "it_IT";
        QTest::newRow("only it_CH") << QStringList{"en_GB", "it_CH"} << "it_CH";
        QTest::newRow("only English") << QStringList{"en_US", "en_GB"} << "";
        QTest::newRow("no engine, no voices") << QStringList{} << "";
    }
    // The speech service takes seconds to start: a sentence that comes
    // meanwhile is read once the engine is up. Speech that fails is silent;
    // the balloon and the wave go on.
    void speak()
    {
        QFETCH(QStringList, offered);
        QFETCH(QString, voice);
        const bool voiced = !voice.isEmpty();
        Rig rig(offered);
        rig.speech->startsAtOnce = false;
        rig.showSettled();
        rig.parrot->Speak(QStringLiteral("Uno"));
        QVERIFY(rig.speech->said.isEmpty() && rig.speech->restarts == 0); // starting, not failed
        rig.speech->bringUp();
        QCOMPARE(rig.parrot->voice() ? rig.parrot->voice()->name() : QString(), voice);
        QCOMPARE(rig.speech->locale.has_value(), voiced);
        QCOMPARE(rig.speech->said, voiced ? QStringList{"Uno"} : QStringList());

        rig.speech->reportSpeaking(voiced);
        rig.parrot->Speak(kItalian); // stops the first and takes its place
        rig.parrot->Play(QStringLiteral("Wave"));
        QCOMPARE(rig.speech->stops, 2);
        QCOMPARE(rig.speech->said, voiced ? QStringList({"Uno", kItalian}) : QStringList());
        rig.speech->reportSpeaking(false); // the first reading's end keeps the new text
        QVERIFY(rig.parrot->balloon()->isPresented() && rig.parrot->isAnimating());
        QCOMPARE(rig.parrot->balloon()->text(), kItalian);
        // The balloon stays for about the time reading takes.
        QCOMPARE(rig.parrot->balloonTimerInterval(), 1500 + 60 * int(kItalian.size()));
        rig.parrot->balloonTimeout();
        QVERIFY(!rig.parrot->balloon()->isPresented());
    }

    // However the engine behaves, the balloon goes at the latest a grace time
    // after the sentence's reading time.
    void balloonLifeIsBounded_data()
    {
        QTest::addColumn<int>("repeats"); // extra "speaking" reports
        QTest::addColumn<bool>("endsInGrace");
        QTest::newRow("never reports the end") << 0 << false;
        QTest::newRow("keeps saying it speaks") << 3 << false;
        QTest::newRow("ends during the grace") << 0 << true;
    }
    void balloonLifeIsBounded()
    {
        QFETCH(int, repeats);
        QFETCH(bool, endsInGrace);
        Rig rig;
        rig.showSettled();
        const qint64 deadline =
            rig.now + DesktopCharacter::balloonTimeMs(kItalian) + DesktopCharacter::kSpeechGraceMs;
        rig.parrot->Speak(kItalian);
        rig.speech->reportSpeaking(true);
        rig.now += DesktopCharacter::balloonTimeMs(kItalian);
        rig.parrot->balloonTimeout();
        QVERIFY(rig.parrot->balloon()->isPresented()); // the voice is still reading
        for (int i = 0; i < repeats; ++i) {
            rig.speech->reportSpeaking(true);
            rig.now += DesktopCharacter::kSpeechGraceMs / (repeats + 1);
            rig.parrot->balloonTimeout(); // as if the timer fired early
            QCOMPARE(rig.parrot->balloonTimerInterval(), int(deadline - rig.now));
        }
        if (endsInGrace)
            rig.speech->reportSpeaking(false);
        else
            QCOMPARE(rig.parrot->balloonTimerInterval(), int(deadline - rig.now));
        rig.now = deadline;
        if (!endsInGrace)
            rig.parrot->balloonTimeout();
        QVERIFY(!rig.parrot->balloon()->isPresented() && !rig.parrot->isBalloonTimerActive());
    }

    // After the engine fails, each sentence tries a fresh one until speech
    // comes back by itself; the learner is told once, on the terminal.
    void speechRecovers_data()
    {
        QTest::addColumn<bool>("reportsError"); // else it comes up with no voices
        QTest::addColumn<bool>("spoke");        // the engine had read a sentence
        QTest::addColumn<QString>("said");      // on the terminal, once
        QTest::newRow("engine error") << true << true << "speech service stopped";
        QTest::newRow("voices gone") << false << true << "speech service stopped";
        // No sound device: it never read, so it did not stop.
        QTest::newRow("never read") << true << false << "does not read aloud here";
    }
    void speechRecovers()
    {
        QFETCH(bool, reportsError);
        QFETCH(bool, spoke);
        QFETCH(QString, said);
        Rig rig;
        rig.showSettled();
        rig.parrot->Speak(QStringLiteral("Uno"));
        if (spoke) {
            rig.speech->reportSpeaking(true);
            rig.speech->reportSpeaking(false);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(said));
        rig.speech->broken = true;
        if (reportsError)
            rig.speech->fail();
        else
            rig.speech->bringUp();
        rig.parrot->Speak(QStringLiteral("Due")); // a fresh engine at once, still broken
        QCOMPARE(rig.speech->restarts, 1);
        // Further tries wait longer and longer.
        for (const int wait :
             {DesktopCharacter::kFirstRetryWaitMs, 2 * DesktopCharacter::kFirstRetryWaitMs}) {
            const int before = rig.speech->restarts;
            rig.now += wait - 1;
            rig.parrot->Speak(QStringLiteral("Tre"));
            QCOMPARE(rig.speech->restarts, before);
            rig.now += 1;
            rig.parrot->Speak(QStringLiteral("Tre"));
            QCOMPARE(rig.speech->restarts, before + 1);
        }
        rig.speech->broken = false;
        rig.now += 4 * DesktopCharacter::kFirstRetryWaitMs;
        rig.parrot->Speak(QStringLiteral("Quattro")); // comes back and reads it
        rig.speech->reportSpeaking(true);
        rig.parrot->Speak(QStringLiteral("Cinque"));
        QCOMPARE(rig.speech->restarts, 4);
        QCOMPARE(rig.speech->said, QStringList({"Uno", "Quattro", "Cinque"}));
        QCOMPARE(rig.parrot->balloon()->text(), QStringLiteral("Cinque"));
        // Once it has read again, a new outage is tried at once, and not told.
        QTest::failOnWarning(QRegularExpression("speech service"));
        rig.speech->fail();
        rig.parrot->Speak(QStringLiteral("Sei"));
        QCOMPARE(rig.speech->said.last(), QStringLiteral("Sei"));
    }

    // A voice the engine refuses is never used: silence rather than the
    // Italian sentence in whatever voice the engine had before.
    void refusedVoiceStaysSilent_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }
    void refusedVoiceStaysSilent()
    {
        QFETCH(bool, accepted);
        struct Engine : SpeechEngine {
            using SpeechEngine::SpeechEngine;
            State state() const override { return State::Ready; }
            QList<QLocale> locales() const override { return {QLocale("it_IT")}; }
            bool setLocale(const QLocale&) override { return accepts; }
            void setRate(double) override {}
            void say(const QString& text) override { said << text; }
            void stop() override {}
            bool accepts = true;
            QStringList said;
        };
        Engine* engine = nullptr;
        SpeechWorker worker([&engine, accepted](QObject* parent) {
            engine = new Engine(parent);
            engine->accepts = accepted;
            return engine;
        });
        worker.startEngine();
        worker.setLocale(QLocale("it_IT"));
        worker.say(kItalian);
        QCOMPARE(engine->said, accepted ? QStringList{kItalian} : QStringList());
    }

    void speechPace_data()
    {
        QTest::addColumn<int>("wordsPerMinute");
        QTest::addColumn<double>("rate");
        // The engine reads 80, 170 and 449 words a minute at -1, 0 and 1.
        QTest::newRow("80, slowest") << 80 << -1.0;
        QTest::newRow("110") << 110 << -60.0 / 90.0;
        QTest::newRow("150, a new learner's") << 150 << -20.0 / 90.0;
        QTest::newRow("190") << 190 << 20.0 / 279.0;
        QTest::newRow("220, fastest") << 220 << 50.0 / 279.0;
        QTest::newRow("below: slowest") << 20 << -1.0;
        QTest::newRow("above: fastest") << 400 << 50.0 / 279.0;
    }
    // The mapping, and that a new pace applies from the next sentence on.
    void speechPace()
    {
        QFETCH(int, wordsPerMinute);
        QFETCH(double, rate);
        QCOMPARE(SpeechPace::rateFor(wordsPerMinute), rate);
        Rig rig;
        rig.showSettled();
        rig.parrot->Speak(QStringLiteral("Uno"));
        rig.parrot->setSpeechPace(wordsPerMinute);
        QCOMPARE(rig.speech->rates, QList<double>{SpeechPace::rateFor(SpeechPace::kNormal)});
        rig.parrot->Speak(kItalian);
        QCOMPARE(rig.speech->rates.last(), rate);
        // The balloon stays as long as reading at that pace takes.
        QCOMPARE(rig.parrot->balloonTimerInterval() > DesktopCharacter::balloonTimeMs(kItalian),
                 wordsPerMinute < SpeechPace::kNormal);
    }

    // The balloon never covers the strip: beside the parrot it drops below
    // the strip while its tail still meets the bird; where no side is free it
    // may cover the parrot, never the strip.
    void balloonStaysOffTheStrip_data()
    {
        QTest::addColumn<QRect>("parrot");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<int>("side"); // left first, then right, below, above
        QTest::addColumn<int>("top");  // of its window: 23 just below the strip
        const int left = int(BalloonPlacement::Side::Left);
        const int below = int(BalloonPlacement::Side::Below);
        QTest::newRow("below the strip's end") << QRect(777, 29, 128, 128) << kScreen << left << 37;
        QTest::newRow("head level with the strip")
            << QRect(777, 0, 128, 128) << kScreen << left << 23;
        QTest::newRow("over the strip") << QRect(400, 0, 128, 128) << kScreen << left << 23;
        QTest::newRow("no side free on a small screen")
            << QRect(140, 40, 128, 128) << QRect(0, 0, 400, 168) << below << 92;
    }
    void balloonStaysOffTheStrip()
    {
        QFETCH(QRect, parrot);
        QFETCH(QRect, screen);
        QFETCH(int, side);
        QFETCH(int, top);
        const QRect strip(300, 0, 477, 23);
        const auto r = BalloonPlacement::place(parrot, QSize(250, 60), screen, strip);
        QCOMPARE(int(r.side), side);
        QCOMPARE(r.window.top(), top);
        QVERIFY2(screen.contains(r.window), "balloon leaves the screen");
        QVERIFY2(!r.window.intersects(strip), "balloon covers the strip");
        QVERIFY(parrot.adjusted(-1, -1, 1, 1).contains(r.tailTip));
    }
};

QTEST_MAIN(TestAgent)
#include "tst_agent.moc"
