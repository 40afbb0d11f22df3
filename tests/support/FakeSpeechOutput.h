#pragma once

#include "agent/SpeechOutput.h"

#include <QStringList>
#include <optional>

// A speech engine the test controls: it offers the locales it is given
// (none when `broken`, like a missing daemon), records what it is asked to
// say and at which rate and how long stopNow() may wait, and comes up at
// once unless `startsAtOnce` is off (then bringUp()). fail() plays an
// engine error; restart() comes up again, working unless `broken`.
class FakeSpeechOutput : public SpeechOutput {
    Q_OBJECT

public:
    explicit FakeSpeechOutput(const QStringList& names)
    {
        for (const QString& name : names)
            m_offered.append(QLocale(name));
    }

    void start() override
    {
        if (startsAtOnce)
            bringUp();
    }
    void restart() override
    {
        ++restarts;
        m_ready = false;
        start();
    }
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
    void setRate(double r) override { rate = r; }
    void say(const QString& text) override
    {
        said.append(text);
        rates.append(rate);
    }
    void stop() override { ++stops; }
    bool stopNow(int timeoutMs) override
    {
        stopWaits.append(timeoutMs);
        return true;
    }
    // Plays the engine's report that it started or finished reading.
    void reportSpeaking(bool speaking) { Q_EMIT speakingChanged(speaking); }
    void fail() { Q_EMIT failed(); }

    bool startsAtOnce = true;
    bool broken = false;
    int stops = 0;
    int restarts = 0;
    QList<int> stopWaits; // the longest wait of each stopNow()
    double rate = 0.0;
    QList<double> rates; // the rate of each text said
    std::optional<QLocale> locale;
    QStringList said;

private:
    QList<QLocale> m_offered;
    bool m_ready = false;
};
