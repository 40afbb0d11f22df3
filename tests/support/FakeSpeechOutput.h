#pragma once

#include "agent/SpeechOutput.h"

#include <QStringList>
#include <optional>

// A speech engine the test controls: it offers the locales it is given,
// records every text it is asked to say (with or without a voice), and
// reports speaking only when told to.
// With `broken` set it comes up without any voice, like a missing daemon.
class FakeSpeechOutput : public SpeechOutput {
    Q_OBJECT

public:
    explicit FakeSpeechOutput(QList<QLocale> locales = {}, QObject* parent = nullptr)
        : SpeechOutput(parent), m_offered(std::move(locales))
    {
    }

    void start() override
    {
        ++starts;
        if (startsAtOnce)
            bringUp();
    }
    // Finishes a start that was left pending (startsAtOnce = false).
    void bringUp()
    {
        m_ready = true;
        Q_EMIT ready();
    }
    bool isReady() const override { return m_ready; }
    QList<QLocale> availableLocales() const override
    {
        return m_ready && !broken ? m_offered : QList<QLocale>{};
    }
    void setLocale(const QLocale& l) override { locale = l; }
    void say(const QString& text) override { said.append(text); }
    void stop() override { ++stops; }

    // Plays the engine's report that it started or finished reading.
    void reportSpeaking(bool speaking) { Q_EMIT speakingChanged(speaking); }

    bool startsAtOnce = true;
    bool broken = false;
    int starts = 0;
    int stops = 0;
    std::optional<QLocale> locale;
    QStringList said;

private:
    QList<QLocale> m_offered;
    bool m_ready = false;
};
