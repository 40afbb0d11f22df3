#include "playback/PairSource.h"

#include "content/Corpus.h"
#include "content/Numbering.h"

PairSource::PairSource(const Corpus& corpus) : m_corpus(corpus) {}

PairSource::PairSource(const Corpus& corpus, std::uint32_t seed)
    : m_corpus(corpus), m_scheduler(seed)
{
}

SentencePair PairSource::next(PlaybackState& state)
{
    const SentenceScheduler::Choice choice = m_scheduler.next(state);
    return {choice.sentence, m_corpus.lookup(choice.sentence),
            m_corpus.lookup(Numbering::englishKey(choice.sentence)), choice.sequence,
            m_corpus.spoken(choice.sentence)};
}
