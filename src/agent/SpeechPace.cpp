#include "agent/SpeechPace.h"

double SpeechPace::rateFor(int wordsPerMinute)
{
    const int pace = clamped(wordsPerMinute);
    if (pace < kEngineNormal)
        return double(pace - kEngineNormal) / double(kEngineNormal - kEngineSlowest);
    return double(pace - kEngineNormal) / double(kEngineFastest - kEngineNormal);
}
