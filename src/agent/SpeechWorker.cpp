#include "agent/SpeechWorker.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Starting the engine and choosing a voice go through every voice the
// speech service offers (espeak-ng has thousands); hand the memory that took
// back to the system instead of keeping it for the whole day.
void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

SpeechWorker::SpeechWorker(EngineFactory makeEngine, QObject* parent)
    : QObject(parent), m_makeEngine(std::move(makeEngine)), m_answerTimer(this)
{
    m_answerTimer.setSingleShot(true);
    m_answerTimer.setInterval(kAnswerTimeoutMs);
    connect(&m_answerTimer, &QTimer::timeout, this, &SpeechWorker::onNoAnswer);
}

void SpeechWorker::startEngine()
{
    if (m_engine)
        return;
    m_engine = m_makeEngine(this);
    if (!m_engine || m_engine->state() == SpeechEngine::State::Error) {
        Q_EMIT engineUp({});
        return;
    }
    connect(m_engine, &SpeechEngine::stateChanged, this, &SpeechWorker::onStateChanged);
    if (m_rate != 0.0) // a new engine reads at the voice's own pace
        m_engine->setRate(m_rate);
    releaseFreedMemory();
    Q_EMIT engineUp(m_engine->locales());
}

void SpeechWorker::restartEngine()
{
    m_answerTimer.stop();
    delete m_engine;
    m_engine = nullptr;
    m_voiceAccepted = false;
    onStateChanged(SpeechEngine::State::Ready); // whatever it was saying is gone
    startEngine();
}

void SpeechWorker::setRate(double rate)
{
    if (rate == m_rate)
        return;
    m_rate = rate;
    if (m_engine)
        m_engine->setRate(rate);
}

void SpeechWorker::setLocale(const QLocale& locale)
{
    m_voiceAccepted = m_engine && m_engine->setLocale(locale);
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

void SpeechWorker::onStateChanged(SpeechEngine::State state)
{
    m_answerTimer.stop();
    if (state == SpeechEngine::State::Error)
        Q_EMIT engineFailed();
    const bool speaking = state == SpeechEngine::State::Speaking;
    if (speaking == m_speaking)
        return;
    m_speaking = speaking;
    Q_EMIT speakingChanged(speaking);
    // Every sentence's replies and events pass between this thread, the
    // speech library's own and the windows' thread, and the C library keeps
    // the pages they freed in each thread's arena: the tutor's memory crept
    // up by a few pages every few sentences. Hand them back while it is quiet.
    if (!speaking)
        releaseFreedMemory();
}

void SpeechWorker::onNoAnswer()
{
    Q_EMIT engineFailed();
}
