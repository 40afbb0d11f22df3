#include "agent/SpeechWorker.h"

#include <QTextToSpeech>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Starting the engine and choosing a voice go through every voice the
// daemon offers (espeak-ng has hundreds); hand the memory that took back to
// the system instead of keeping it for the whole day.
void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

SpeechWorker::SpeechWorker(QObject* parent) : QObject(parent), m_answerTimer(this)
{
    m_answerTimer.setSingleShot(true);
    m_answerTimer.setInterval(kAnswerTimeoutMs);
    connect(&m_answerTimer, &QTimer::timeout, this, &SpeechWorker::onNoAnswer);
}

void SpeechWorker::startEngine()
{
    if (m_engine)
        return;
    if (QTextToSpeech::availableEngines().isEmpty()) {
        Q_EMIT engineUp({});
        return;
    }
    m_engine = new QTextToSpeech(this);
    connect(m_engine, &QTextToSpeech::stateChanged, this,
            [this](QTextToSpeech::State state) { onStateChanged(state); });
    if (m_engine->state() == QTextToSpeech::Error) {
        Q_EMIT engineUp({});
        return;
    }
    if (m_rate != 0.0) // a new engine reads at the voice's own pace
        m_engine->setRate(m_rate);
    Q_EMIT engineUp(m_engine->availableLocales());
}

void SpeechWorker::restartEngine()
{
    m_answerTimer.stop();
    delete m_engine;
    m_engine = nullptr;
    m_voiceAccepted = false;
    onStateChanged(QTextToSpeech::Ready); // whatever it was saying is gone
    startEngine();
}

void SpeechWorker::setRate(double rate)
{
    // Asking the engine for its rate crashes inside libspeechd; remember it.
    if (rate == m_rate)
        return;
    m_rate = rate;
    if (m_engine)
        m_engine->setRate(rate);
}

void SpeechWorker::setLocale(const QLocale& locale)
{
    m_voiceAccepted = false;
    if (!m_engine || m_engine->state() == QTextToSpeech::Error)
        return;
    m_engine->setLocale(locale);
    // An engine that cannot switch keeps its old (often English) voice.
    m_voiceAccepted = m_engine->locale().language() == locale.language() &&
                      !m_engine->availableVoices().isEmpty();
    releaseFreedMemory();
}

void SpeechWorker::say(const QString& text)
{
    if (!m_engine || !m_voiceAccepted)
        return;
    m_engine->stop();
    m_engine->say(text);
    m_answerTimer.start();
}

void SpeechWorker::stop()
{
    if (m_engine)
        m_engine->stop();
}

void SpeechWorker::onStateChanged(int state)
{
    m_answerTimer.stop();
    if (state == QTextToSpeech::Error)
        Q_EMIT engineFailed();
    const bool speaking = state == QTextToSpeech::Speaking;
    if (speaking == m_speaking)
        return;
    m_speaking = speaking;
    Q_EMIT speakingChanged(speaking);
}

void SpeechWorker::onNoAnswer()
{
    Q_EMIT engineFailed();
}
