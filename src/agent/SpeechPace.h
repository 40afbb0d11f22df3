#pragma once

// How fast the parrot reads, in words per minute, and the rate the speech
// engine takes for it (-1 to 1: speech-dispatcher's scale over 100).
namespace SpeechPace {

constexpr int kSlowest = 80;
constexpr int kNormal = 150; // a new learner's pace
constexpr int kFastest = 220;

// The words per minute speech-dispatcher's espeak-ng voice reads at rates
// -1, 0 and 1 (its module's EspeakMinRate, EspeakNormalRate and
// EspeakMaxRate as Debian ships them).
constexpr int kEngineSlowest = 80;
constexpr int kEngineNormal = 170;
constexpr int kEngineFastest = 449;

// A pace outside [kSlowest, kFastest] is taken as the nearest end of it.
constexpr int clamped(int wordsPerMinute)
{
    return wordsPerMinute < kSlowest ? kSlowest
                                     : (wordsPerMinute > kFastest ? kFastest : wordsPerMinute);
}

// The engine's rate for a pace: linear on either side of the engine's own
// pace, as the engine maps it back.
double rateFor(int wordsPerMinute);

} // namespace SpeechPace
