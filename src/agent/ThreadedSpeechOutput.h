#pragma once

#include "agent/SpeechOutput.h"

class QThread;
class SpeechWorker;

// The real voice: the platform's speech engine (speech-dispatcher on Linux),
// run on its own thread and created only when first asked for.
class ThreadedSpeechOutput : public SpeechOutput {
    Q_OBJECT

public:
    explicit ThreadedSpeechOutput(QObject* parent = nullptr);
    ~ThreadedSpeechOutput() override;

    void start() override;
    void restart() override;
    bool isReady() const override { return m_ready; }
    QList<QLocale> availableLocales() const override { return m_locales; }
    void setLocale(const QLocale& locale) override;
    void setRate(double rate) override;
    void say(const QString& text) override;
    void stop() override;
    bool stopNow(int timeoutMs) override;

private:
    void onEngineUp(const QList<QLocale>& locales);

    QThread* m_thread = nullptr;
    SpeechWorker* m_worker = nullptr; // lives on m_thread
    QList<QLocale> m_locales;
    bool m_ready = false;
};
