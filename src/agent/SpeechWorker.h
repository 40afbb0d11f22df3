#pragma once

#include <QList>
#include <QLocale>
#include <QObject>

class QTextToSpeech;

// Owns the text-to-speech engine on the speech thread: starting the engine
// may spawn the speech daemon and listing voices may take a while, neither of
// which may hold up the windows.
class SpeechWorker : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

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
    void engineFailed();

private:
    void onStateChanged(int state);

    QTextToSpeech* m_engine = nullptr;
    // Only a voice of the language asked for may speak.
    bool m_voiceAccepted = false;
    bool m_speaking = false;
    double m_rate = 0.0;
};
