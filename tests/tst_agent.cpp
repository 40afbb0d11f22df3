#include "FakeSpeechOutput.h"
#include "RecordingCharacter.h"
#include "agent/AgentControl.h"
#include "agent/BalloonPlacement.h"
#include "agent/DesktopCharacter.h"
#include "agent/ParrotArt.h"
#include "agent/ParrotWindow.h"
#include "agent/VoiceChoice.h"
#include "agent/WordBalloon.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QRect kScreen(0, 0, 1024, 768);
const QString kItalian = QStringLiteral("Buongiorno, mi chiamo Paolo. Piacere di conoscerti!");

QLocale locale(const char* name)
{
    return QLocale(QString::fromLatin1(name));
}

// A parrot with a fake voice, a 1024x768 screen and a clock the test steps.
struct Rig {
    explicit Rig(QList<QLocale> locales = {locale("en_US"), locale("it_IT")})
    {
        auto fake = std::make_unique<FakeSpeechOutput>(std::move(locales));
        speech = fake.get();
        character = std::make_unique<DesktopCharacter>(std::move(fake));
        character->setClock([this] { return now; });
        character->setScreenArea([](const QPoint&) { return kScreen; });
    }

    // Moves the clock on and delivers one frame, as the frame timer would.
    void frameAt(qint64 ms)
    {
        now = ms;
        character->advanceFrame();
    }
    // Shows the parrot and plays its appearing to the end.
    void showSettled()
    {
        character->Show();
        frameAt(now + ParrotMotion::kShowMs);
    }

    qint64 now = 1000;
    FakeSpeechOutput* speech = nullptr;
    std::unique_ptr<DesktopCharacter> character;
};

qreal distance(const QPoint& point, const QRect& rect)
{
    const int dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const int dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    return std::hypot(dx, dy);
}

} // namespace

class TestAgent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadById_data();
    void loadById();
    void loadingTwiceKeepsOneCharacter();
    void factoryCharacterGetsTheCalls();
    void voiceChoice_data();
    void voiceChoice();
    void languageIdPicksItalianVoice();
    void voiceChosenWhenEngineComesUpLate();
    void hiddenCharacterDropsRequests();
    void showAndHideAnimationsEnd();
    void hiddenParrotReturnsWhereItWas();
    void waveStartsAndStopsFrameTimer();
    void unknownAnimationIgnored_data();
    void unknownAnimationIgnored();
    void idleBlinkUsesFrameTimerOnlyBriefly();
    void balloonPlacement_data();
    void balloonPlacement();
    void balloonWrapsLongText();
    void speechFailureIsSilent_data();
    void speechFailureIsSilent();
    void newSpeakReplacesOld();
    void balloonWaitsForTheVoice();
    void emptyTextClearsBalloon();
    void moveToKeepsInsideScreen_data();
    void moveToKeepsInsideScreen();
    void dragMovesParrotAndBalloon();
    void windowNeverTakesFocus();
    void maskLetsClicksThroughAroundTheBird();
    void artIsCrispAtDoubleScale();
    void snapshots();
};

void TestAgent::loadById_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("loads");

    QTest::newRow("Peedy, built in") << "Peedy"
                                     << "" << true;
    QTest::newRow("other character") << "Merlin"
                                     << "" << false;
    QTest::newRow("other case") << "peedy"
                                << "" << false;
    QTest::newRow("empty id") << ""
                              << "" << false;
    QTest::newRow("Peedy from a file") << "Peedy"
                                       << "/usr/share/chars/peedy.acs" << false;
}

void TestAgent::loadById()
{
    QFETCH(QString, id);
    QFETCH(QString, location);
    QFETCH(bool, loads);

    AgentControl agent;
    QCOMPARE(agent.Characters().Load(id, location), loads);
    Character* character = agent.Characters().Item(id);
    QCOMPARE(character != nullptr, loads);
    if (loads)
        QVERIFY(dynamic_cast<DesktopCharacter*>(character));
    QVERIFY(!agent.Characters().Item(QStringLiteral("Genie")));
}

void TestAgent::loadingTwiceKeepsOneCharacter()
{
    QStringList log;
    int made = 0;
    AgentControl agent([&](const QString& id, const QString&) -> std::unique_ptr<Character> {
        if (id != QLatin1String("Peedy"))
            return nullptr;
        ++made;
        return std::make_unique<RecordingCharacter>(&log);
    });
    QVERIFY(!agent.Characters().Item(QStringLiteral("Peedy")));
    QVERIFY(agent.Characters().Load(QStringLiteral("Peedy"), QString()));
    Character* first = agent.Characters().Item(QStringLiteral("Peedy"));
    QVERIFY(agent.Characters().Load(QStringLiteral("Peedy"), QString()));
    QCOMPARE(agent.Characters().Item(QStringLiteral("Peedy")), first);
    QCOMPARE(made, 1);
    QVERIFY(!agent.Characters().Load(QStringLiteral("Merlin"), QString()));
    QVERIFY(!agent.Characters().Item(QStringLiteral("Merlin")));
}

void TestAgent::factoryCharacterGetsTheCalls()
{
    QStringList log;
    AgentControl agent(
        [&](const QString&, const QString&) { return std::make_unique<RecordingCharacter>(&log); });
    QVERIFY(agent.Characters().Load(QStringLiteral("Peedy"), QString()));
    Character* peedy = agent.Characters().Item(QStringLiteral("Peedy"));
    peedy->Show();
    peedy->setLanguageID(1040);
    peedy->Speak(kItalian);
    peedy->Play(QStringLiteral("Wave"));
    QCOMPARE(log, (QStringList{"Show", "LanguageID:1040", "Speak:" + kItalian, "Play:Wave"}));
}

void TestAgent::voiceChoice_data()
{
    QTest::addColumn<int>("languageId");
    QTest::addColumn<QStringList>("available");
    QTest::addColumn<QString>("chosen"); // empty: stay silent

    const QStringList mixed{"en_US", "de_DE", "it_CH", "it_IT", "fr_FR"};
    QTest::newRow("Italian present") << 1040 << mixed << "it_IT";
    QTest::newRow("Italian first") << 1040 << QStringList{"it_IT", "en_US"} << "it_IT";
    QTest::newRow("it_CH only") << 1040 << QStringList{"en_GB", "it_CH"} << "it_CH";
    QTest::newRow("only English") << 1040 << QStringList{"en_US", "en_GB"} << "";
    QTest::newRow("no locales") << 1040 << QStringList{} << "";
    QTest::newRow("Swiss Italian asked") << 2064 << mixed << "it_CH";
    QTest::newRow("Swiss Italian, it_IT only") << 2064 << QStringList{"it_IT"} << "it_IT";
    QTest::newRow("English asked") << 1033 << mixed << "en_US";
    QTest::newRow("unknown id") << 9999 << mixed << "";
    QTest::newRow("no id yet") << 0 << mixed << "";
}

void TestAgent::voiceChoice()
{
    QFETCH(int, languageId);
    QFETCH(QStringList, available);
    QFETCH(QString, chosen);

    QList<QLocale> locales;
    for (const QString& name : available)
        locales.append(QLocale(name));
    const std::optional<QLocale> voice = VoiceChoice::choose(languageId, locales);
    QCOMPARE(voice ? voice->name() : QString(), chosen);
}

void TestAgent::languageIdPicksItalianVoice()
{
    Rig rig({locale("en_US"), locale("it_CH"), locale("it_IT")});
    QVERIFY(!rig.character->voice());
    rig.character->setLanguageID(1040);
    QCOMPARE(rig.speech->starts, 1);
    QVERIFY(rig.speech->locale);
    QCOMPARE(rig.speech->locale->name(), QStringLiteral("it_IT"));
    rig.showSettled();
    rig.character->Speak(kItalian);
    QCOMPARE(rig.speech->said, QStringList{kItalian});
}

void TestAgent::voiceChosenWhenEngineComesUpLate()
{
    Rig rig;
    rig.speech->startsAtOnce = false;
    rig.character->setLanguageID(1040);
    rig.showSettled();
    rig.character->Speak(QStringLiteral("Prima"));
    QVERIFY(rig.speech->said.isEmpty()); // no engine yet: silent, not queued
    QVERIFY(rig.character->balloon()->isVisible());

    rig.speech->bringUp();
    QCOMPARE(rig.character->voice()->name(), QStringLiteral("it_IT"));
    rig.character->Speak(QStringLiteral("Dopo"));
    QCOMPARE(rig.speech->said, QStringList{QStringLiteral("Dopo")});
}

void TestAgent::hiddenCharacterDropsRequests()
{
    Rig rig;
    rig.character->setLanguageID(1040);

    // Never shown yet.
    rig.character->Speak(kItalian);
    rig.character->Play(QStringLiteral("Wave"));
    QVERIFY(rig.speech->said.isEmpty());
    QVERIFY(!rig.character->isAnimating());
    QVERIFY(!rig.character->balloon()->isVisible());

    rig.showSettled();
    rig.character->Speak(kItalian);
    QCOMPARE(rig.speech->said.size(), 1);
    QVERIFY(rig.character->balloon()->isVisible());

    rig.character->Hide();
    QVERIFY(!rig.character->balloon()->isVisible());
    rig.frameAt(rig.now + ParrotMotion::kHideMs);
    QVERIFY(!rig.character->isAnimating());

    rig.character->Speak(QStringLiteral("Ancora"));
    rig.character->Play(QStringLiteral("Wave"));
    QCOMPARE(rig.speech->said.size(), 1);
    QVERIFY(!rig.character->isAnimating());
    QVERIFY(!rig.character->balloon()->isVisible());
    QVERIFY(!rig.character->isBlinkScheduled());
}

void TestAgent::showAndHideAnimationsEnd()
{
    Rig rig;
    ParrotWindow* window = rig.character->window();
    QVERIFY(!window->isVisible());

    rig.character->Show();
    QVERIFY(window->isVisible());
    QVERIFY(rig.character->isAnimating());
    QCOMPARE(window->pose().opacity, 0.0);
    rig.frameAt(rig.now + ParrotMotion::kShowMs / 2);
    QVERIFY(window->pose().opacity > 0.0 && window->pose().opacity < 1.0);
    QVERIFY(rig.character->isAnimating());
    rig.frameAt(rig.now + ParrotMotion::kShowMs);
    QCOMPARE(window->pose(), ParrotPose{});
    QVERIFY(!rig.character->isAnimating());

    rig.character->Hide();
    QVERIFY(rig.character->isAnimating());
    QVERIFY(window->isVisible()); // fading, not popped away
    rig.frameAt(rig.now + ParrotMotion::kHideMs / 2);
    QVERIFY(window->isVisible());
    QVERIFY(window->pose().opacity < 1.0);
    rig.frameAt(rig.now + ParrotMotion::kHideMs);
    QVERIFY(!window->isVisible());
    QVERIFY(!rig.character->isAnimating());

    // Showing during a hide turns it round without hiding the window.
    rig.character->Show();
    rig.character->Hide();
    rig.frameAt(rig.now + 50);
    rig.character->Show();
    rig.frameAt(rig.now + ParrotMotion::kHideMs);
    QVERIFY(window->isVisible());
}

void TestAgent::hiddenParrotReturnsWhereItWas()
{
    Rig rig;
    rig.character->MoveTo(QPoint(300, 200));
    rig.showSettled();
    rig.character->Hide();
    rig.frameAt(rig.now + ParrotMotion::kHideMs);
    rig.character->Show();
    rig.frameAt(rig.now + ParrotMotion::kShowMs);
    QCOMPARE(rig.character->window()->pos(), QPoint(300, 200));
    QVERIFY(rig.character->window()->isVisible());
}

void TestAgent::waveStartsAndStopsFrameTimer()
{
    Rig rig;
    rig.showSettled();
    QVERIFY(!rig.character->isAnimating());

    const qint64 start = rig.now;
    rig.character->Play(QStringLiteral("Wave"));
    QVERIFY(rig.character->isAnimating());
    rig.frameAt(start + ParrotMotion::kWaveMs / 2);
    QVERIFY(rig.character->window()->pose().wingAngle < -45.0);
    QVERIFY(rig.character->isAnimating());
    rig.frameAt(start + ParrotMotion::kWaveMs - 1);
    QVERIFY(rig.character->isAnimating());
    rig.frameAt(start + ParrotMotion::kWaveMs);
    QVERIFY(!rig.character->isAnimating());
    QCOMPARE(rig.character->window()->pose().wingAngle, 0.0);

    // The wing goes up and comes down again: no jump at either end.
    ParrotMotion motion;
    motion.start(ParrotMotion::Kind::Wave, 0);
    double previous = 0.0;
    for (qint64 t = 0; t <= ParrotMotion::kWaveMs; t += DesktopCharacter::kFrameIntervalMs) {
        const double angle = motion.poseAt(t).wingAngle;
        QVERIFY2(std::abs(angle - previous) < 25.0, qPrintable(QString::number(t)));
        previous = angle;
    }
}

void TestAgent::unknownAnimationIgnored_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("other animation") << "Dance";
    QTest::newRow("empty") << "";
    QTest::newRow("near miss") << "Wav";
    QTest::newRow("with blank") << "Wave ";
}

void TestAgent::unknownAnimationIgnored()
{
    QFETCH(QString, name);
    Rig rig;
    rig.showSettled();
    rig.character->Play(name);
    QVERIFY(!rig.character->isAnimating());
    QCOMPARE(rig.character->window()->pose(), ParrotPose{});
}

void TestAgent::idleBlinkUsesFrameTimerOnlyBriefly()
{
    Rig rig;
    QVERIFY(!rig.character->isBlinkScheduled());
    rig.showSettled();
    QVERIFY(rig.character->isBlinkScheduled());
    QVERIFY(!rig.character->isAnimating());

    rig.character->idleBlink();
    QVERIFY(rig.character->isAnimating());
    rig.frameAt(rig.now + ParrotMotion::kBlinkMs / 2);
    QVERIFY(rig.character->window()->pose().eyeOpen < 0.5);
    rig.frameAt(rig.now + ParrotMotion::kBlinkMs);
    QVERIFY(!rig.character->isAnimating());
    QCOMPARE(rig.character->window()->pose().eyeOpen, 1.0);
    QVERIFY(rig.character->isBlinkScheduled());

    rig.character->Hide();
    QVERIFY(!rig.character->isBlinkScheduled());
}

void TestAgent::balloonPlacement_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("parrot");
    QTest::addColumn<QSize>("body");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("room"); // the balloon fits without covering the parrot

    using Side = BalloonPlacement::Side;
    const QSize body(200, 60);
    const QSize tall(280, 300);
    const QSize wide(460, 80);
    const QRect second(1024, 0, 1280, 800);
    QTest::newRow("top right") << kScreen << QRect(896, 0, 128, 128) << body << int(Side::Left)
                               << true;
    QTest::newRow("top left") << kScreen << QRect(0, 0, 128, 128) << body << int(Side::Right)
                              << true;
    QTest::newRow("bottom right") << kScreen << QRect(896, 640, 128, 128) << body << int(Side::Left)
                                  << true;
    QTest::newRow("bottom left") << kScreen << QRect(0, 640, 128, 128) << body << int(Side::Right)
                                 << true;
    QTest::newRow("middle") << kScreen << QRect(448, 320, 128, 128) << body << int(Side::Left)
                            << true;
    QTest::newRow("below the strip")
        << kScreen << QRect(880, 23, 128, 128) << body << int(Side::Left) << true;
    QTest::newRow("tall text, top right")
        << kScreen << QRect(896, 0, 128, 128) << tall << int(Side::Left) << true;
    QTest::newRow("tall text, bottom left")
        << kScreen << QRect(0, 640, 128, 128) << tall << int(Side::Right) << true;
    QTest::newRow("too wide for the sides")
        << kScreen << QRect(448, 0, 128, 128) << wide << int(Side::Below) << true;
    QTest::newRow("too wide, at the bottom")
        << kScreen << QRect(448, 640, 128, 128) << wide << int(Side::Above) << true;
    QTest::newRow("second screen, top right")
        << second << QRect(2176, 0, 128, 128) << body << int(Side::Left) << true;
    QTest::newRow("second screen, bottom left")
        << second << QRect(1024, 672, 128, 128) << body << int(Side::Right) << true;
    QTest::newRow("screen smaller than balloon") << QRect(0, 0, 300, 200) << QRect(86, 36, 128, 128)
                                                 << QSize(280, 120) << int(Side::Below) << false;
}

void TestAgent::balloonPlacement()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, parrot);
    QFETCH(QSize, body);
    QFETCH(int, side);
    QFETCH(bool, room);

    const auto r = BalloonPlacement::place(parrot, body, screen);
    QCOMPARE(int(r.side), side);
    QVERIFY2(screen.contains(r.window), "balloon leaves the screen");
    QCOMPARE(r.body.size(), body);
    QVERIFY(r.window.contains(r.body));
    QVERIFY(r.window.contains(r.tailTip));
    if (!room)
        return;
    QVERIFY2(!r.body.intersects(parrot), "balloon covers the parrot");
    // The tail leaves the body's edge and ends touching the parrot.
    QCOMPARE(distance(r.tailBase, r.body), 0.0);
    QVERIFY(distance(r.tailTip, parrot) <= 1.0);
    QVERIFY(distance(r.tailTip, r.body) >= BalloonPlacement::kTailLength - 1);
    QVERIFY(distance(r.tailTip, parrot) < distance(r.tailBase, parrot));
}

void TestAgent::balloonWrapsLongText()
{
    WordBalloon balloon;
    balloon.setText(QStringLiteral("Ciao"));
    const QSize shortSize = balloon.bodySize();
    balloon.setText(kItalian + QLatin1Char(' ') + kItalian + QLatin1Char(' ') + kItalian);
    const QSize longSize = balloon.bodySize();
    QVERIFY(longSize.width() <= WordBalloon::kMaxTextWidth + 2 * WordBalloon::kPadding + 2);
    QVERIFY(longSize.height() > 2 * shortSize.height());
    QVERIFY(shortSize.width() < longSize.width());
}

void TestAgent::speechFailureIsSilent_data()
{
    QTest::addColumn<QStringList>("locales");
    QTest::addColumn<bool>("broken");

    QTest::newRow("engine broken") << QStringList{"it_IT"} << true;
    QTest::newRow("only English voices") << QStringList{"en_US", "en_GB"} << false;
    QTest::newRow("no voices at all") << QStringList{} << false;
}

void TestAgent::speechFailureIsSilent()
{
    QFETCH(QStringList, locales);
    QFETCH(bool, broken);

    QList<QLocale> offered;
    for (const QString& name : locales)
        offered.append(QLocale(name));
    Rig rig(offered);
    rig.speech->broken = broken;
    rig.character->setLanguageID(1040);
    QVERIFY(!rig.character->voice());
    QVERIFY(!rig.speech->locale); // never an English voice for Italian text
    rig.showSettled();

    rig.character->Speak(kItalian);
    rig.character->Play(QStringLiteral("Wave"));
    QVERIFY(rig.speech->said.isEmpty());
    QVERIFY(rig.character->balloon()->isVisible());
    QCOMPARE(rig.character->balloon()->text(), kItalian);
    QVERIFY(rig.character->isAnimating());
    QVERIFY(rig.character->isBalloonTimerActive());
    QCOMPARE(rig.character->balloonTimerInterval(), 1500 + 60 * int(kItalian.size()));
    rig.character->balloonTimeout();
    QVERIFY(!rig.character->balloon()->isVisible());
}

void TestAgent::newSpeakReplacesOld()
{
    Rig rig;
    rig.character->setLanguageID(1040);
    rig.showSettled();
    rig.character->Speak(QStringLiteral("Uno"));
    const int stopsBefore = rig.speech->stops;
    rig.speech->reportSpeaking(true);
    rig.character->Speak(QStringLiteral("Due, per favore."));
    QCOMPARE(rig.speech->stops, stopsBefore + 1);
    QCOMPARE(rig.speech->said, (QStringList{"Uno", "Due, per favore."}));
    QCOMPARE(rig.character->balloon()->text(), QStringLiteral("Due, per favore."));
    // The end of the first reading does not take the new text away.
    rig.speech->reportSpeaking(false);
    QVERIFY(rig.character->balloon()->isVisible());
}

void TestAgent::balloonWaitsForTheVoice()
{
    Rig rig;
    rig.character->setLanguageID(1040);
    rig.showSettled();
    rig.character->Speak(kItalian);
    rig.speech->reportSpeaking(true);
    rig.character->balloonTimeout(); // reading time up, voice still going
    QVERIFY(rig.character->balloon()->isVisible());
    rig.speech->reportSpeaking(false);
    QVERIFY(!rig.character->balloon()->isVisible());

    // A voice that never reports its end loses the balloon eventually.
    rig.character->Speak(kItalian);
    rig.speech->reportSpeaking(true);
    rig.character->balloonTimeout();
    QCOMPARE(rig.character->balloonTimerInterval(), DesktopCharacter::kSpeechOverdueMs);
    rig.character->balloonTimeout();
    QVERIFY(!rig.character->balloon()->isVisible());
}

void TestAgent::emptyTextClearsBalloon()
{
    Rig rig;
    rig.character->setLanguageID(1040);
    rig.showSettled();
    rig.character->Speak(kItalian);
    rig.character->Speak(QStringLiteral("  "));
    QCOMPARE(rig.speech->said, QStringList{kItalian});
    QVERIFY(!rig.character->balloon()->isVisible());
}

void TestAgent::moveToKeepsInsideScreen_data()
{
    QTest::addColumn<QPoint>("asked");
    QTest::addColumn<QPoint>("placed");

    QTest::newRow("inside") << QPoint(400, 300) << QPoint(400, 300);
    QTest::newRow("below strip end") << QPoint(900, 23) << QPoint(896, 23);
    QTest::newRow("beyond right") << QPoint(1500, 100) << QPoint(896, 100);
    QTest::newRow("beyond bottom") << QPoint(100, 760) << QPoint(100, 640);
    QTest::newRow("beyond top left") << QPoint(-50, -20) << QPoint(0, 0);
    QTest::newRow("far corner") << QPoint(5000, 5000) << QPoint(896, 640);
}

void TestAgent::moveToKeepsInsideScreen()
{
    QFETCH(QPoint, asked);
    QFETCH(QPoint, placed);
    Rig rig;
    rig.character->MoveTo(asked);
    QCOMPARE(rig.character->window()->pos(), placed);
}

void TestAgent::dragMovesParrotAndBalloon()
{
    Rig rig;
    rig.character->MoveTo(QPoint(600, 300));
    rig.showSettled();
    rig.character->Speak(kItalian);
    const QRect balloonBefore = rig.character->balloon()->geometry();

    ParrotWindow* window = rig.character->window();
    const QPoint grab(60, 80);
    QTest::mousePress(window, Qt::LeftButton, {}, grab);
    // Move the pointer by (-200, +100) on the screen.
    QMouseEvent move(QEvent::MouseMove, QPointF(grab),
                     QPointF(window->mapToGlobal(grab) + QPoint(-200, 100)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(window, &move);
    QTest::mouseRelease(window, Qt::LeftButton, {}, grab);

    QCOMPARE(window->pos(), QPoint(400, 400));
    QCOMPARE(rig.character->balloon()->geometry().topLeft(),
             balloonBefore.topLeft() + QPoint(-200, 100));

    // The right button does not drag.
    QTest::mousePress(window, Qt::RightButton, {}, grab);
    QMouseEvent rightMove(QEvent::MouseMove, QPointF(grab),
                          QPointF(window->mapToGlobal(grab) + QPoint(50, 50)), Qt::NoButton,
                          Qt::RightButton, {});
    QApplication::sendEvent(window, &rightMove);
    QCOMPARE(window->pos(), QPoint(400, 400));
}

void TestAgent::windowNeverTakesFocus()
{
    Rig rig;
    for (QWidget* w : {static_cast<QWidget*>(rig.character->window()),
                       static_cast<QWidget*>(rig.character->balloon())}) {
        const Qt::WindowFlags flags = w->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(w->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating));
    }
}

void TestAgent::maskLetsClicksThroughAroundTheBird()
{
    Rig rig;
    rig.showSettled();
    ParrotWindow* window = rig.character->window();
    const QRegion rest = window->mask();
    QVERIFY(!rest.isEmpty());
    QVERIFY(rest.contains(QPoint(70, 80)));   // the body
    QVERIFY(rest.contains(QPoint(55, 35)));   // the head
    QVERIFY(!rest.contains(QPoint(2, 2)));    // empty corner
    QVERIFY(!rest.contains(QPoint(120, 20))); // where the raised wing goes

    rig.character->Play(QStringLiteral("Wave"));
    rig.frameAt(rig.now + ParrotMotion::kWaveMs / 2);
    // While it waves the mask covers the wing's whole sweep as well as the
    // bird at rest.
    const QRegion waving = window->mask();
    QVERIFY(!(waving - rest).isEmpty());
    QVERIFY((rest - waving).isEmpty());
    QVERIFY(waving.contains(QPoint(103, 35)));
    QVERIFY(!rest.contains(QPoint(103, 35)));
    rig.frameAt(rig.now + ParrotMotion::kWaveMs);
    QCOMPARE(window->mask(), rest);
}

void TestAgent::artIsCrispAtDoubleScale()
{
    ParrotArt art;
    QVERIFY(art.isValid());
    const QImage single = art.image(ParrotPose{}, 1.0);
    const QImage twice = art.image(ParrotPose{}, 2.0);
    QCOMPARE(single.size(), QSize(128, 128));
    QCOMPARE(twice.size(), QSize(256, 256));
    QCOMPARE(twice.deviceIndependentSize(), QSizeF(128, 128));
    // Colourful: green body, red head, and no fully covered canvas.
    auto colourAt = [&](int x, int y) { return twice.pixelColor(2 * x, 2 * y); };
    const QColor body = colourAt(70, 85);
    QVERIFY2(body.green() > body.red() && body.green() > body.blue(), "body is not green");
    const QColor head = colourAt(66, 24);
    QVERIFY2(head.red() > head.green() + 60, "head is not red");
    QCOMPARE(colourAt(2, 2).alpha(), 0);
    // The closed eye looks different from the open one.
    ParrotPose blink;
    blink.eyeOpen = 0.0;
    QVERIFY(art.image(blink, 2.0) != twice);
}

// Shows the parrot for real and saves pictures: set QUORVEL_SNAPSHOT_DIR and
// run on a real display. The desktop is captured with ImageMagick's import.
void TestAgent::snapshots()
{
    const QString dir = qEnvironmentVariable("QUORVEL_SNAPSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("set QUORVEL_SNAPSHOT_DIR to take pictures of the parrot");
    QDir().mkpath(dir);

    auto fake = std::make_unique<FakeSpeechOutput>(QList<QLocale>{locale("it_IT")});
    FakeSpeechOutput* speech = fake.get();
    DesktopCharacter parrot(std::move(fake));
    qint64 now = 0;
    parrot.setClock([&now] { return now; });
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    parrot.MoveTo(QPoint(screen.right() - 200, 23));
    parrot.Show();
    now += ParrotMotion::kShowMs;
    parrot.advanceFrame();
    QVERIFY(QTest::qWaitForWindowExposed(parrot.window()));

    auto capture = [&](const QString& name) {
        parrot.window()->repaint();
        if (parrot.balloon()->isVisible())
            parrot.balloon()->repaint();
        QCoreApplication::processEvents();
        QApplication::sync();
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"),
                           dir + QLatin1Char('/') + name + QStringLiteral(".png")});
        parrot.window()->grab().save(dir + QLatin1Char('/') + name + QStringLiteral("-window.png"));
    };
    capture(QStringLiteral("rest"));

    parrot.Play(QStringLiteral("Wave"));
    now += ParrotMotion::kWaveMs * 4 / 10;
    parrot.advanceFrame();
    capture(QStringLiteral("wave"));
    now += ParrotMotion::kWaveMs;
    parrot.advanceFrame();

    parrot.idleBlink();
    now += ParrotMotion::kBlinkMs / 2;
    parrot.advanceFrame();
    capture(QStringLiteral("blink"));
    now += ParrotMotion::kBlinkMs;
    parrot.advanceFrame();

    parrot.setLanguageID(1040);
    parrot.Speak(kItalian);
    QVERIFY(QTest::qWaitForWindowExposed(parrot.balloon()));
    capture(QStringLiteral("balloon"));
    QCOMPARE(speech->said, QStringList{kItalian});
    QVERIFY(screen.contains(parrot.balloon()->geometry()));

    parrot.MoveTo(QPoint(0, screen.bottom()));
    parrot.Speak(
        QStringLiteral("Vorrei un biglietto di andata e ritorno per Firenze, per favore."));
    capture(QStringLiteral("balloon-corner"));
    QVERIFY(screen.contains(parrot.balloon()->geometry()));

    ParrotArt().image(ParrotPose{}, 2.0).save(dir + QStringLiteral("/parrot@2x.png"));
}

QTEST_MAIN(TestAgent)
#include "tst_agent.moc"
