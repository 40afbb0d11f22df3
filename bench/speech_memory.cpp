#include "agent/DesktopCharacter.h"
#include "agent/SpeechPace.h"
#include "agent/ThreadedSpeechOutput.h"
#include "content/Corpus.h"
#include "content/Numbering.h"

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTimer>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

// Reads the course's sentences aloud through the tutor's own speech path
// (the speech thread and the platform's engine) as fast as the speech
// service takes them: each one is replaced by the next as soon as the voice
// begins, or with --whole once it has been read to its end. With --parrot
// they go to the parrot as the tutor gives them (balloon and wave too; this
// needs a display); --fast reads at the fastest pace; --heap writes the C
// library's account of its arenas to stderr after the warm-up and at the
// end. Prints the resident memory after a warm-up and after the measured
// sentences.
//   speech_memory [--parrot] [--whole] [--fast] [--heap] [warm-up] [measured]
// prints: rss_after_warmup_kb rss_after_kb growth_kb sentences unanswered

namespace {

constexpr int kDefaultWarmUp = 100;
constexpr int kDefaultMeasured = 500;
// A sentence whose voice has not begun by then is counted and replaced.
constexpr int kBeginTimeoutMs = 3000;
constexpr int kPageKb = 4;

// The tutor's own Italian sentences, each dialogue once, in course order.
QStringList courseSentences()
{
    const Corpus corpus;
    QStringList sentences;
    for (int page = Numbering::kFirstPage; page <= Numbering::kLastPage; ++page) {
        for (int line = 1; line <= Numbering::kLinesPerPage; ++line) {
            const std::optional<QString> text = corpus.lookup(Numbering::sentence(page, line));
            if (text && !sentences.contains(*text))
                sentences.append(*text);
        }
    }
    return sentences;
}

long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * kPageKb : -1;
}

constexpr int kItalianLanguageId = 1040;

struct Options {
    bool parrot = false;
    bool whole = false;
    bool fast = false;
    bool heap = false;
    int warmUp = kDefaultWarmUp;
    int measured = kDefaultMeasured;
};

class Reader : public QObject {
public:
    explicit Reader(const Options& options)
        : m_options(options), m_total(options.warmUp + options.measured)
    {
        auto output = std::make_unique<ThreadedSpeechOutput>();
        m_speech = output.get();
        if (m_options.parrot) {
            m_parrot = std::make_unique<DesktopCharacter>(std::move(output));
            m_parrot->setLanguageID(kItalianLanguageId);
            if (m_options.fast)
                m_parrot->setSpeechPace(SpeechPace::kFastest);
            m_parrot->Show();
        } else {
            m_ownSpeech = std::move(output);
        }
        m_timeout.setSingleShot(true);
        m_timeout.setInterval(kBeginTimeoutMs);
        connect(&m_timeout, &QTimer::timeout, this, [this] {
            ++m_unanswered;
            next();
        });
        connect(m_speech, &SpeechOutput::ready, this, &Reader::onReady);
        connect(m_speech, &SpeechOutput::speakingChanged, this, [this](bool speaking) {
            if (m_timeout.isActive() && speaking != m_options.whole)
                next();
        });
        m_speech->start();
    }

private:
    void onReady()
    {
        if (m_sentences.isEmpty()) {
            std::fputs("speech_memory: no sentences\n", stderr);
            QCoreApplication::exit(1);
            return;
        }
        for (const QLocale& locale : m_speech->availableLocales()) {
            if (locale.language() == QLocale::Italian) {
                if (!m_parrot) { // the parrot picks its voice and pace itself
                    m_speech->setLocale(locale);
                    if (m_options.fast)
                        m_speech->setRate(SpeechPace::rateFor(SpeechPace::kFastest));
                }
                next();
                return;
            }
        }
        std::fputs("speech_memory: no Italian voice\n", stderr);
        QCoreApplication::exit(1);
    }

    void next()
    {
        if (m_said == m_options.warmUp) {
            m_rssWarm = residentKb();
            reportHeap();
        }
        if (m_said == m_total) {
            m_timeout.stop();
            m_speech->stop();
            const long rss = residentKb();
            reportHeap();
            std::printf("%ld %ld %ld %d %d\n", m_rssWarm, rss, rss - m_rssWarm, m_options.measured,
                        m_unanswered);
            QCoreApplication::exit(0);
            return;
        }
        const QString& text = m_sentences[m_said % m_sentences.size()];
        if (m_parrot) {
            m_parrot->Speak(text);
            m_parrot->Play(QStringLiteral("Wave"));
        } else {
            m_speech->say(text);
        }
        ++m_said;
        m_timeout.start();
    }

    void reportHeap() const
    {
#ifdef __GLIBC__
        if (m_options.heap)
            malloc_info(0, stderr);
#endif
    }

    Options m_options;
    const QStringList m_sentences = courseSentences();
    std::unique_ptr<ThreadedSpeechOutput> m_ownSpeech;
    std::unique_ptr<DesktopCharacter> m_parrot;
    ThreadedSpeechOutput* m_speech = nullptr;
    QTimer m_timeout;
    int m_total;
    int m_said = 0;
    int m_unanswered = 0;
    long m_rssWarm = 0;
};

Options parse(int argc, char* argv[])
{
    Options options;
    QList<int> counts;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--parrot")
            options.parrot = true;
        else if (argument == "--whole")
            options.whole = true;
        else if (argument == "--fast")
            options.fast = true;
        else if (argument == "--heap")
            options.heap = true;
        else
            counts.append(argument.toInt());
    }
    if (!counts.isEmpty())
        options.warmUp = counts[0];
    if (counts.size() > 1)
        options.measured = counts[1];
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    const Options options = parse(argc, argv);
    // The parrot has windows; the speech path alone needs no display.
    const std::unique_ptr<QCoreApplication> app =
        options.parrot ? std::make_unique<QApplication>(argc, argv)
                       : std::make_unique<QCoreApplication>(argc, argv);
    const Reader reader(options);
    return QCoreApplication::exec();
}
