#include "agent/SpeechEngine.h"

#include <QTextToSpeech>

namespace {

SpeechEngine::State fromQt(QTextToSpeech::State state)
{
    switch (state) {
    case QTextToSpeech::Speaking:
        return SpeechEngine::State::Speaking;
    case QTextToSpeech::Error:
        return SpeechEngine::State::Error;
    default:
        return SpeechEngine::State::Ready;
    }
}

// Qt's text-to-speech: SAPI or WinRT on Windows.
class QtSpeechEngine final : public SpeechEngine {
public:
    explicit QtSpeechEngine(QObject* parent)
        : SpeechEngine(parent), m_speech(new QTextToSpeech(this))
    {
        connect(m_speech, &QTextToSpeech::stateChanged, this,
                [this](QTextToSpeech::State state) { Q_EMIT stateChanged(fromQt(state)); });
    }

    State state() const override { return fromQt(m_speech->state()); }
    QList<QLocale> locales() const override { return m_speech->availableLocales(); }

    bool setLocale(const QLocale& locale) override
    {
        if (m_speech->state() == QTextToSpeech::Error)
            return false;
        m_speech->setLocale(locale);
        // An engine that cannot switch keeps its old (often English) voice.
        return m_speech->locale().language() == locale.language() &&
               !m_speech->availableVoices().isEmpty();
    }

    void setRate(double rate) override { m_speech->setRate(rate); }
    void say(const QString& text) override { m_speech->say(text); }
    void stop() override { m_speech->stop(); }

private:
    QTextToSpeech* m_speech;
};

} // namespace

SpeechEngine* SpeechEngine::create(QObject* parent)
{
    if (QTextToSpeech::availableEngines().isEmpty())
        return nullptr;
    return new QtSpeechEngine(parent);
}
