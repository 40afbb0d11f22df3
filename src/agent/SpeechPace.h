#pragma once

// How fast the parrot reads, in words per minute, and the rate
// the speech engine takes for it (-1 slowest, 0 the voice's own pace, 1 fastest).
namespace SpeechPace {

constexpr int kSlowest = 80;
constexpr int kNormal = 150; // the voice's own pace
constexpr int kFastest = 220;

// A pace outside [kSlowest, kFastest] is taken as the nearest end of it.
constexpr int clamped(int wordsPerMinute)
{
    return wordsPerMinute < kSlowest ? kSlowest
                                     : (wordsPerMinute > kFastest ? kFastest : wordsPerMinute);
}

// Linear on either side of kNormal, which gives exactly 0.
double rateFor(int wordsPerMinute);

} // namespace SpeechPace
