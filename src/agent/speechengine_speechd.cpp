#include "agent/SpeechEngine.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <csignal>
#include <cstdlib>
#include <libspeechd.h>

namespace {

constexpr int kRateScale = 100; // speech-dispatcher's rates run from -100 to 100
constexpr int kAutospawn = 1;   // start the speech service when it is not running

class SpeechdEngine;

// libspeechd reports speech starting and ending on a thread of its own and
// names only the connection's client id, with no room for a pointer back; so
// the open engines are found here, and hear of it on their own thread.
class SpeechdListeners {
public:
    static SpeechdListeners& instance()
    {
        static SpeechdListeners listeners;
        return listeners;
    }

    void add(size_t client, SpeechdEngine* engine)
    {
        const QMutexLocker lock(&m_mutex);
        m_engines.insert(client, engine);
    }

    void remove(size_t client)
    {
        const QMutexLocker lock(&m_mutex);
        m_engines.remove(client);
    }

    void notify(size_t client, SpeechEngine::State state);

private:
    QMutex m_mutex;
    QHash<size_t, SpeechdEngine*> m_engines;
};

void onSpeechEvent(size_t, size_t client, SPDNotificationType type)
{
    SpeechdListeners::instance().notify(client, type == SPD_EVENT_BEGIN
                                                    ? SpeechEngine::State::Speaking
                                                    : SpeechEngine::State::Ready);
}

// A speech service that goes away mid-sentence must not take the tutor with
// it: writing to its closed socket would raise SIGPIPE.
void ignoreBrokenPipes()
{
#ifdef SIGPIPE
    struct sigaction action = {};
    if (sigaction(SIGPIPE, nullptr, &action) == 0 && action.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
#endif
}

// speech-dispatcher spoken to directly. Qt's engine for it keeps an object
// for every voice of every module (over ten thousand with espeak-ng's
// variants) for the whole day; this one keeps just the languages.
class SpeechdEngine final : public SpeechEngine {
public:
    explicit SpeechdEngine(QObject* parent) : SpeechEngine(parent)
    {
        ignoreBrokenPipes();
        char* error = nullptr;
        m_connection = spd_open2("quorvel", "reading", nullptr, SPD_MODE_THREADED, nullptr,
                                 kAutospawn, &error);
        std::free(error);
        if (!m_connection)
            return;
        const int client = spd_get_client_id(m_connection);
        if (client < 0)
            return;
        m_client = size_t(client);
        listLanguages();
        SpeechdListeners::instance().add(m_client, this);
        m_connection->callback_begin = onSpeechEvent;
        m_connection->callback_end = onSpeechEvent;
        m_connection->callback_cancel = onSpeechEvent;
        if (spd_set_notification_on(m_connection,
                                    SPDNotification(SPD_BEGIN | SPD_END | SPD_CANCEL)) == 0)
            m_state = State::Ready;
    }

    ~SpeechdEngine() override
    {
        if (!m_connection)
            return;
        SpeechdListeners::instance().remove(m_client);
        spd_close(m_connection);
    }

    SpeechdEngine(const SpeechdEngine&) = delete;
    SpeechdEngine& operator=(const SpeechdEngine&) = delete;

    State state() const override { return m_state; }
    QList<QLocale> locales() const override { return m_locales; }

    bool setLocale(const QLocale& locale) override
    {
        const qsizetype index = m_locales.indexOf(locale);
        return m_state != State::Error && index >= 0 &&
               spd_set_language(m_connection, m_codes[index].constData()) == 0;
    }

    void setRate(double rate) override
    {
        if (m_state != State::Error)
            spd_set_voice_rate(m_connection, qRound(rate * kRateScale));
    }

    void say(const QString& text) override
    {
        if (m_state != State::Error &&
            spd_say(m_connection, SPD_TEXT, text.toUtf8().constData()) < 0)
            report(State::Error);
    }

    void stop() override
    {
        if (m_state != State::Error)
            spd_cancel(m_connection);
    }

    void report(State state)
    {
        if (state == m_state || m_state == State::Error)
            return;
        m_state = state;
        Q_EMIT stateChanged(state);
    }

private:
    // Each voice names its language ("it", "en-US"); the module's default
    // voice for a language is the one that speaks it.
    void listLanguages()
    {
        SPDVoice** voices = spd_list_synthesis_voices(m_connection);
        QSet<QByteArray> seen;
        for (SPDVoice** voice = voices; voice && *voice; ++voice) {
            const QByteArray code((*voice)->language);
            if (code.isEmpty() || seen.contains(code))
                continue;
            seen.insert(code);
            const QLocale locale(QString::fromLatin1(code));
            if (locale.language() == QLocale::C || m_locales.contains(locale))
                continue;
            m_locales.append(locale);
            m_codes.append(code);
        }
        if (voices)
            free_spd_voices(voices);
    }

    SPDConnection* m_connection = nullptr;
    size_t m_client = 0;
    State m_state = State::Error;
    QList<QLocale> m_locales;
    QList<QByteArray> m_codes; // speech-dispatcher's name of each of m_locales
};

void SpeechdListeners::notify(size_t client, SpeechEngine::State state)
{
    const QMutexLocker lock(&m_mutex);
    SpeechdEngine* engine = m_engines.value(client);
    if (engine)
        QMetaObject::invokeMethod(
            engine, [engine, state] { engine->report(state); }, Qt::QueuedConnection);
}

} // namespace

SpeechEngine* SpeechEngine::create(QObject* parent)
{
    return new SpeechdEngine(parent);
}
