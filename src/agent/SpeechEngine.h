#pragma once

#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>

// One text-to-speech engine, as the speech thread drives it. Each platform
// brings its own: speech-dispatcher itself on Linux, Qt's text-to-speech
// elsewhere. Calls may block on the speech service, so only the speech
// thread makes them.
class SpeechEngine : public QObject {
    Q_OBJECT

public:
    enum class State { Ready, Speaking, Error };

    using QObject::QObject;

    // A new engine, or nullptr where this system has no speech engine at all.
    // One that could not reach its speech service starts in State::Error.
    static SpeechEngine* create(QObject* parent);

    virtual State state() const = 0;
    // The languages the engine's voices speak.
    virtual QList<QLocale> locales() const = 0;
    // Whether a voice of the locale's language now speaks.
    virtual bool setLocale(const QLocale& locale) = 0;
    // -1 slowest, 0 the voice's own pace, 1 fastest.
    virtual void setRate(double rate) = 0;
    virtual void say(const QString& text) = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void stateChanged(SpeechEngine::State state);
};
