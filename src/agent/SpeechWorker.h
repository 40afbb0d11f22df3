#pragma once

#include "agent/SpeechEngine.h"

#include <QList>
#include <QLocale>
#include <QObject>
#include <QTimer>
#include <functional>

// Owns the text-to-speech engine on the speech thread: starting the engine
// may spawn the speech daemon and listing voices may take a while, neither of
// which may hold up the windows.
class SpeechWorker : public QObject {
    Q_OBJECT

public:
    // A working engine answers a new text within this time by changing its
    // state (it stops the old text, starts the new one). One that does not
    // has lost its speech service: a speech service that dies says nothing.
    static constexpr int kAnswerTimeoutMs = 5000;

    // Makes the engine, owned by `parent`; tests give a fake one.
    using EngineFactory = std::function<SpeechEngine*(QObject* parent)>;

    explicit SpeechWorker(EngineFactory makeEngine = &SpeechEngine::create,
                          QObject* parent = nullptr);

    void startEngine();
    // Drops the engine (and its connection to the speech service) and starts
    // a new one.
    void restartEngine();
    void setLocale(const QLocale& locale);
    void setRate(double rate);
    void say(const QString& text);
    void stop();

Q_SIGNALS:
    void engineUp(const QList<QLocale>& locales);
    void speakingChanged(bool speaking);
    // The engine reported an error, or did not answer a text in time.
    void engineFailed();

private:
    void onStateChanged(SpeechEngine::State state);
    void onNoAnswer();

    EngineFactory m_makeEngine;
    SpeechEngine* m_engine = nullptr;
    // Only a voice of the language asked for may speak.
    bool m_voiceAccepted = false;
    bool m_speaking = false;
    double m_rate = 0.0;
    QTimer m_answerTimer; // runs from `say` until the engine's next state
};
