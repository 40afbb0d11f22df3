#pragma once

#include "settings/PlaybackState.h"

#include <QtGlobal>
#include <random>

// Chooses the number of the next sentence pair from the topic, the play mode
// and the sequence position. It needs no window: PairSource calls next() and
// then looks the texts up.
class SentenceScheduler {
public:
    SentenceScheduler(); // seeded once from the clock
    explicit SentenceScheduler(std::uint32_t seed);

    struct Choice {
        qint16 sentence = 0;   // the number to load
        bool sequence = false; // sequence order: the tooltips follow the load
    };

    // Picks the next number. In sequence order it moves the position
    // (nextSentence) on past the chosen number.
    Choice next(PlaybackState& state);

    // Number drawn by the last random-order choice; never stored.
    qint16 lastRandomSentence() const { return m_randomSentence; }

private:
    qint16 nextInTopic(PlaybackState& state, int topic);
    qint16 nextInCourse(PlaybackState& state);
    qint16 randomInTopic(int topic);
    qint16 randomInCourse();

    std::mt19937 m_random;
    qint16 m_randomSentence = 0;
};
