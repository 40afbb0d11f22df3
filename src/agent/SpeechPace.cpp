#include "agent/SpeechPace.h"

double SpeechPace::rateFor(int wordsPerMinute)
{
    const int pace = clamped(wordsPerMinute);
    if (pace < kNormal)
        return double(pace - kNormal) / double(kNormal - kSlowest);
    return double(pace - kNormal) / double(kFastest - kNormal);
}
