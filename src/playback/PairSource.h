#pragma once

#include "playback/SentenceScheduler.h"
#include "settings/PlaybackState.h"

#include <QString>
#include <optional>

class Corpus;

// One Italian sentence and its English translation, as looked up.
struct SentencePair {
    qint16 sentence = 0;            // the Italian number; English is 10000 above
    std::optional<QString> italian; // nothing when the corpus lacks the number
    std::optional<QString> english;
    bool sequence = false;         // chosen in sequence order
    std::optional<QString> spoken; // what the voice says for the Italian
};

// The next pair to show: the scheduler's choice, looked up in the corpus.
class PairSource {
public:
    explicit PairSource(const Corpus& corpus);
    PairSource(const Corpus& corpus, std::uint32_t seed);

    SentencePair next(PlaybackState& state);

private:
    const Corpus& m_corpus;
    SentenceScheduler m_scheduler;
};
