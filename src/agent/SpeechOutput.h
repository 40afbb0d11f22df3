#pragma once

#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>

// Where the character's voice comes from. The real one drives a speech
// engine; tests give a fake, so they need no engine at all. Every call
// returns at once.
class SpeechOutput : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Brings the engine up in the background; `ready` follows. Safe to repeat.
    virtual void start() = 0;
    // Drops the engine and brings a new one up in the background, with a
    // fresh connection to the speech service; `ready` follows.
    virtual void restart() = 0;
    virtual bool isReady() const = 0;
    // Locales the engine can speak: empty before `ready`, and when the
    // engine is missing or broken.
    virtual QList<QLocale> availableLocales() const = 0;
    // Picks the voice; until a locale of the engine's own list is accepted,
    // `say` stays silent.
    virtual void setLocale(const QLocale& locale) = 0;
    // -1 slowest, 0 the voice's own pace, 1 fastest; applies to the next `say`.
    virtual void setRate(double rate) = 0;
    virtual void say(const QString& text) = 0;
    virtual void stop() = 0;
    // The one call that waits: stops reading and returns once the speech
    // service has heard it, or after `timeoutMs` if it does not answer.
    // False on the timeout. For the way out, where nothing may read on.
    virtual bool stopNow(int timeoutMs) = 0;

Q_SIGNALS:
    // The engine is up (or has failed to come up: then it has no locales).
    void ready();
    void speakingChanged(bool speaking);
    // The engine stopped working (it reported an error); it stays silent
    // until restart().
    void failed();
};
