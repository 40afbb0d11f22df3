#pragma once

#include "agent/Character.h"
#include "agent/ParrotMotion.h"
#include "agent/SpeechOutput.h"
#include "agent/SpeechPace.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class ParrotWindow;
class WordBalloon;

// "Peedy", the built-in character: a parrot in its own window on the desktop
// that reads the Italian sentence aloud, shows it in a word balloon and
// waves. Frames are painted only while an animation plays; a parrot standing
// still has no frame timer running.
class DesktopCharacter : public QObject, public Character {
    Q_OBJECT

public:
    // Milliseconds on a steady clock; tests step it by hand.
    using Clock = std::function<qint64()>;
    // The usable screen area around a point.
    using ScreenArea = std::function<QRect(const QPoint&)>;

    static constexpr int kFrameIntervalMs = 40;
    static constexpr int kBlinkMinMs = 6000;
    static constexpr int kBlinkMaxMs = 12000;
    // The balloon stays for about the time reading takes at the normal pace.
    static constexpr int kBalloonMsPerChar = 60;
    static constexpr int kBalloonBaseMs = 1500;
    // How much longer it waits for a voice still reading; never more, even
    // if the engine never reports the end.
    static constexpr int kSpeechGraceMs = 2000;
    // After a failed engine, the first fresh one is tried with the next
    // sentence. When that fails too (a service that runs but cannot play,
    // with no sound device), tries wait this long, twice as long each time
    // up to the longest wait, until the engine reads again.
    static constexpr int kFirstRetryWaitMs = 15000;
    static constexpr int kLongestRetryWaitMs = 8 * 60 * 1000;

    // Without `speech`, the parrot uses the system's text-to-speech engine.
    explicit DesktopCharacter(std::unique_ptr<SpeechOutput> speech = {});
    ~DesktopCharacter() override;

    void Show() override;
    void Hide() override;
    void Speak(const QString& text) override;
    void SpeakAs(const QString& text, const QString& spoken) override;
    void Stop() override;
    void StopNow(int timeoutMs) override;
    void Play(const QString& animation) override;
    void setLanguageID(int languageId) override;
    void setSpeechPace(int wordsPerMinute) override;
    void MoveTo(const QPoint& screenPoint) override;
    void setKeepClear(const QRect& screenArea) override;
    void Raise() override;

    void setClock(Clock clock);
    void setScreenArea(ScreenArea area);

    // Timer handlers; the timers only call these.
    void advanceFrame();
    void idleBlink();
    void balloonTimeout();

    // Reading time of `text` at `wordsPerMinute`.
    static int balloonTimeMs(const QString& text, int wordsPerMinute = SpeechPace::kNormal);

    bool isShown() const { return m_shown; }
    bool isAnimating() const { return m_frameTimer.isActive(); }
    bool isBlinkScheduled() const { return m_blinkTimer.isActive(); }
    bool isBalloonTimerActive() const { return m_balloonTimer.isActive(); }
    int balloonTimerInterval() const { return m_balloonTimer.interval(); }
    // The Italian (or other) voice in use; nullopt while silent.
    std::optional<QLocale> voice() const { return m_voice; }
    int speechPace() const { return m_pace; }
    ParrotWindow* window() const { return m_window.get(); }
    WordBalloon* balloon() const { return m_balloon.get(); }

private:
    void start(ParrotMotion::Kind kind);
    void chooseVoice();
    void onSpeechFailed();
    void say(const QString& text);
    void onSpeakingChanged(bool speaking);
    void hideBalloon();
    void placeBalloon();
    void moveWindow(const QPoint& topLeft);
    QPoint keptOnScreen(const QPoint& topLeft) const;
    void scheduleBlink();
    qint64 now() const { return m_clock(); }

    std::unique_ptr<SpeechOutput> m_speech;
    std::unique_ptr<ParrotWindow> m_window;
    std::unique_ptr<WordBalloon> m_balloon;
    ParrotMotion m_motion;
    QTimer m_frameTimer;
    QTimer m_blinkTimer;
    QTimer m_balloonTimer;
    QElapsedTimer m_elapsed;
    Clock m_clock;
    ScreenArea m_screenArea;
    QRect m_keepClear; // the balloon never covers it
    int m_languageId = 0;
    int m_pace = SpeechPace::kNormal;
    std::optional<QLocale> m_voice;
    // The engine failed: the next sentence asks for a fresh one. A sentence
    // that comes while the engine is on its way up is read once it is up.
    bool m_speechFailed = false;
    qint64 m_nextRetryAt = 0;
    int m_retryWaitMs = kFirstRetryWaitMs;
    bool m_voiceChosen = false;  // the engine took a voice at least once
    bool m_speechWorked = false; // and read with it
    bool m_voiceTold = false;    // its failure has been said
    QString m_waitingText;
    bool m_shown = false;
    bool m_speaking = false;
    bool m_balloonOverdue = false; // its reading time is up, the voice is not
    qint64 m_balloonDeadline = 0;
};
