#include "agent/DesktopCharacter.h"

#include "agent/BalloonPlacement.h"
#include "agent/ParrotWindow.h"
#include "agent/ThreadedSpeechOutput.h"
#include "agent/VoiceChoice.h"
#include "agent/WordBalloon.h"
#include "platform/KeepInside.h"
#include "platform/ScreenLayoutWatch.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <algorithm>

namespace {

// Until the tutor places it, the parrot stands near the top right corner.
constexpr int kStartMargin = 24;
constexpr int kStartTop = 40;

QRect screenAreaAt(const QPoint& point)
{
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

std::optional<ParrotMotion::Kind> animationNamed(const QString& name)
{
    if (name.compare(QLatin1String("Wave"), Qt::CaseInsensitive) == 0)
        return ParrotMotion::Kind::Wave;
    if (name.compare(QLatin1String("Blink"), Qt::CaseInsensitive) == 0)
        return ParrotMotion::Kind::Blink;
    return std::nullopt;
}

} // namespace

DesktopCharacter::DesktopCharacter(std::unique_ptr<SpeechOutput> speech)
    : m_speech(speech ? std::move(speech) : std::make_unique<ThreadedSpeechOutput>()),
      m_window(std::make_unique<ParrotWindow>()), m_balloon(std::make_unique<WordBalloon>()),
      m_screenArea(screenAreaAt)
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };

    m_frameTimer.setInterval(kFrameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    m_blinkTimer.setSingleShot(true);
    m_blinkTimer.setTimerType(Qt::VeryCoarseTimer);
    m_balloonTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, &DesktopCharacter::advanceFrame);
    connect(&m_blinkTimer, &QTimer::timeout, this, &DesktopCharacter::idleBlink);
    connect(&m_balloonTimer, &QTimer::timeout, this, &DesktopCharacter::balloonTimeout);
    connect(m_speech.get(), &SpeechOutput::ready, this, &DesktopCharacter::chooseVoice);
    connect(m_speech.get(), &SpeechOutput::speakingChanged, this,
            &DesktopCharacter::onSpeakingChanged);
    connect(m_speech.get(), &SpeechOutput::failed, this, &DesktopCharacter::onSpeechFailed);
    connect(m_window.get(), &ParrotWindow::dragRequested, this, &DesktopCharacter::moveWindow);
    // A monitor unplugged, or a panel put where the parrot stands: it steps
    // back inside what is left.
    connect(new ScreenLayoutWatch(this), &ScreenLayoutWatch::changed, this,
            [this] { moveWindow(m_window->pos()); });

    const QRect area = m_screenArea(QPoint());
    moveWindow(QPoint(area.right() - m_window->width() - kStartMargin, area.top() + kStartTop));
}

DesktopCharacter::~DesktopCharacter() = default;

void DesktopCharacter::Show()
{
    if (m_shown)
        return;
    m_shown = true;
    m_window->show();
    start(ParrotMotion::Kind::Show);
    scheduleBlink();
}

void DesktopCharacter::Hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_waitingText.clear();
    m_speech->stop();
    hideBalloon();
    m_balloon->hide(); // off for good, until reading aloud is on again
    m_blinkTimer.stop();
    start(ParrotMotion::Kind::Hide);
}

void DesktopCharacter::Stop()
{
    m_speech->stop();
    hideBalloon();
}

void DesktopCharacter::StopNow(int timeoutMs)
{
    m_waitingText.clear();
    m_speech->stopNow(timeoutMs);
    hideBalloon();
}

void DesktopCharacter::Speak(const QString& text)
{
    SpeakAs(text, text);
}

void DesktopCharacter::SpeakAs(const QString& text, const QString& spoken)
{
    // Hiding the parrot is how the user turns reading aloud off.
    if (!m_shown)
        return;
    m_speech->stop();
    m_waitingText.clear();
    if (text.trimmed().isEmpty()) {
        hideBalloon();
        return;
    }
    if (m_speechFailed && now() >= m_nextRetryAt) {
        // A fresh connection, which may start a new speech service.
        m_speechFailed = false;
        m_nextRetryAt = now() + m_retryWaitMs;
        m_retryWaitMs = std::min(2 * m_retryWaitMs, kLongestRetryWaitMs);
        m_waitingText = spoken;
        m_speech->restart();
    } else if (m_voice) {
        say(spoken);
    } else if (!m_speech->isReady()) {
        m_waitingText = spoken; // read once the engine is up
    }
    m_balloon->setText(text);
    placeBalloon();
    m_balloon->present();
    m_balloon->raise();
    m_balloonOverdue = false;
    const int readingMs = balloonTimeMs(text, m_pace);
    m_balloonDeadline = now() + readingMs + kSpeechGraceMs;
    m_balloonTimer.start(readingMs);
}

void DesktopCharacter::Play(const QString& animation)
{
    if (!m_shown)
        return;
    if (const auto kind = animationNamed(animation))
        start(*kind);
}

void DesktopCharacter::setLanguageID(int languageId)
{
    m_languageId = languageId;
    m_speech->start();
    chooseVoice();
}

void DesktopCharacter::setSpeechPace(int wordsPerMinute)
{
    m_pace = SpeechPace::clamped(wordsPerMinute);
}

void DesktopCharacter::setKeepClear(const QRect& screenArea)
{
    if (screenArea == m_keepClear)
        return;
    m_keepClear = screenArea;
    if (m_balloon->isPresented())
        placeBalloon();
}

void DesktopCharacter::MoveTo(const QPoint& screenPoint)
{
    moveWindow(screenPoint);
}

void DesktopCharacter::Raise()
{
    m_window->raise();
    if (m_balloon->isPresented())
        m_balloon->raise();
}

void DesktopCharacter::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void DesktopCharacter::setScreenArea(ScreenArea area)
{
    m_screenArea = std::move(area);
    moveWindow(m_window->pos());
}

void DesktopCharacter::advanceFrame()
{
    const qint64 t = now();
    m_window->setPose(m_motion.poseAt(t));
    if (m_motion.isRunning(t))
        return;
    m_frameTimer.stop();
    m_motion.settle(t);
    if (m_motion.isHiding())
        m_window->hide();
}

void DesktopCharacter::idleBlink()
{
    if (!m_shown)
        return;
    // Blinking in the middle of a wave looks busy; try again later.
    if (!isAnimating())
        start(ParrotMotion::Kind::Blink);
    scheduleBlink();
}

void DesktopCharacter::balloonTimeout()
{
    // Keep the text up while the voice is still reading it, but only for a
    // grace time: an engine that never says it is done (a stalled service,
    // no sound device) must not keep the balloon up.
    const qint64 left = m_balloonDeadline - now();
    if (m_speaking && left > 0) {
        m_balloonOverdue = true;
        m_balloonTimer.start(int(left));
        return;
    }
    hideBalloon();
}

int DesktopCharacter::balloonTimeMs(const QString& text, int wordsPerMinute)
{
    const int readingMs = kBalloonMsPerChar * int(text.size()) * SpeechPace::kNormal /
                          SpeechPace::clamped(wordsPerMinute);
    return kBalloonBaseMs + readingMs;
}

void DesktopCharacter::start(ParrotMotion::Kind kind)
{
    m_motion.start(kind, now());
    m_frameTimer.start();
    advanceFrame(); // stops the timer if the motion is already over
    // The beat counts from the end of the first frame, so a timer started
    // just after this one (the strip's scroll) falls due within every other
    // frame's own wake-up instead of waking the tutor once more.
    if (m_frameTimer.isActive())
        m_frameTimer.start();
}

void DesktopCharacter::chooseVoice()
{
    const QList<QLocale> locales = m_speech->availableLocales();
    if (m_speech->isReady() && locales.isEmpty()) {
        onSpeechFailed(); // no engine, no service, or it came up broken
        return;
    }
    m_voice = VoiceChoice::choose(m_languageId, locales);
    if (!m_voice)
        return;
    m_speech->setLocale(*m_voice);
    m_voiceChosen = true;
    if (!m_waitingText.isEmpty())
        say(m_waitingText);
    m_waitingText.clear();
}

void DesktopCharacter::onSpeechFailed()
{
    m_speechFailed = true;
    m_voice.reset();
    m_waitingText.clear();
    // Said once, on the terminal only: the lessons go on without a voice. A
    // service that never read a word (no sound device, say) did not stop;
    // with no service at all there is nothing to say.
    if (m_voiceTold || !m_voiceChosen)
        return;
    m_voiceTold = true;
    if (m_speechWorked)
        qWarning(
            "Quorvel: the speech service stopped working; the parrot reads again once it is back");
    else
        qWarning("Quorvel: the speech service does not read aloud here (is there a sound "
                 "device?); the parrot stays silent and reads once it can");
}

void DesktopCharacter::say(const QString& text)
{
    m_speech->setRate(SpeechPace::rateFor(m_pace));
    m_speech->say(text);
}

void DesktopCharacter::onSpeakingChanged(bool speaking)
{
    m_speaking = speaking;
    if (speaking) { // the engine reads: a later failure is tried again at once
        m_speechWorked = true;
        m_nextRetryAt = 0;
        m_retryWaitMs = kFirstRetryWaitMs;
    }
    // The balloon outlives the voice until its own reading time is up.
    if (!speaking && (!m_balloonTimer.isActive() || m_balloonOverdue))
        hideBalloon();
}

void DesktopCharacter::hideBalloon()
{
    m_balloonTimer.stop();
    m_balloonOverdue = false;
    m_balloon->withdraw();
}

void DesktopCharacter::placeBalloon()
{
    const QRect parrot = m_window->geometry();
    m_balloon->place(BalloonPlacement::place(parrot, m_balloon->bodySize(),
                                             m_screenArea(parrot.center()), m_keepClear));
}

void DesktopCharacter::moveWindow(const QPoint& topLeft)
{
    m_window->move(keptOnScreen(topLeft));
    if (m_balloon->isPresented())
        placeBalloon();
}

QPoint DesktopCharacter::keptOnScreen(const QPoint& topLeft) const
{
    return keepInside(QRect(topLeft, m_window->size()), m_screenArea(topLeft)).topLeft();
}

void DesktopCharacter::scheduleBlink()
{
    m_blinkTimer.start(QRandomGenerator::global()->bounded(kBlinkMinMs, kBlinkMaxMs + 1));
}
