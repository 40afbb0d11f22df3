#include "agent/ThreadedSpeechOutput.h"

#include "agent/SpeechWorker.h"

#include <QSemaphore>
#include <QThread>
#include <memory>

namespace {

// Leaving the program must not hang on a speech daemon that does not answer.
constexpr unsigned long kShutdownWaitMs = 2000;

} // namespace

ThreadedSpeechOutput::ThreadedSpeechOutput(QObject* parent) : SpeechOutput(parent) {}

ThreadedSpeechOutput::~ThreadedSpeechOutput()
{
    if (!m_thread)
        return;
    m_thread->quit();
    if (!m_thread->wait(kShutdownWaitMs)) {
        // The engine is stuck inside the speech library. The process is on
        // its way out: leave the thread to it rather than block or crash.
        m_worker->disconnect(this);
        return;
    }
    delete m_thread;
}

void ThreadedSpeechOutput::start()
{
    if (m_thread)
        return;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("speech"));
    m_worker = new SpeechWorker;
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &SpeechWorker::engineUp, this, &ThreadedSpeechOutput::onEngineUp);
    connect(m_worker, &SpeechWorker::speakingChanged, this, &SpeechOutput::speakingChanged);
    connect(m_worker, &SpeechWorker::engineFailed, this, &SpeechOutput::failed);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::startEngine, Qt::QueuedConnection);
}

void ThreadedSpeechOutput::restart()
{
    if (!m_thread) {
        start();
        return;
    }
    m_ready = false;
    m_locales.clear();
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::restartEngine, Qt::QueuedConnection);
}

void ThreadedSpeechOutput::setRate(double rate)
{
    if (!m_worker)
        return;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, rate] { worker->setRate(rate); }, Qt::QueuedConnection);
}

void ThreadedSpeechOutput::setLocale(const QLocale& locale)
{
    if (!m_worker)
        return;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, locale] { worker->setLocale(locale); }, Qt::QueuedConnection);
}

void ThreadedSpeechOutput::say(const QString& text)
{
    if (!m_worker)
        return;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, text] { worker->say(text); }, Qt::QueuedConnection);
}

void ThreadedSpeechOutput::stop()
{
    if (!m_worker)
        return;
    QMetaObject::invokeMethod(m_worker, &SpeechWorker::stop, Qt::QueuedConnection);
}

bool ThreadedSpeechOutput::stopNow(int timeoutMs)
{
    if (!m_worker)
        return true;
    // Shared with the call: a speech thread stuck in the speech library may
    // run it after this has given up waiting.
    const auto stopped = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, stopped] {
            worker->stop();
            stopped->release();
        },
        Qt::QueuedConnection);
    return stopped->tryAcquire(1, timeoutMs);
}

void ThreadedSpeechOutput::onEngineUp(const QList<QLocale>& locales)
{
    m_locales = locales;
    m_ready = true;
    Q_EMIT ready();
}
