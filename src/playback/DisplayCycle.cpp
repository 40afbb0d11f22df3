#include "playback/DisplayCycle.h"

#include <limits>

namespace {

using Step = DisplayCycle::Step;
using Steps = DisplayCycle::Steps;

// What showing and hiding a language's line takes, and how long it stays.
struct Line {
    Steps show;
    Steps hide;
    qint16 PlaybackState::*seconds;
};

// Only the Italian line is spoken and waved at.
constexpr Line kItalian{Steps(Step::ScrollItalianIn) | Step::SpeakAndWave, Step::ClearItalian,
                        &PlaybackState::italianTime};
constexpr Line kEnglish{Step::SlideEnglishUp, Step::ParkEnglish, &PlaybackState::englishTime};

struct Order {
    const Line& first;
    const Line& second;
};

// "ce" 1 is Italian first; any other value English first.
Order orderOf(const PlaybackState& state)
{
    if (state.languageOrder == 1)
        return {kItalian, kEnglish};
    return {kEnglish, kItalian};
}

// A counter that kept running would otherwise turn negative after an hour.
qint16 increment(qint16 value)
{
    return value < std::numeric_limits<qint16>::max() ? static_cast<qint16>(value + 1) : value;
}

} // namespace

DisplayCycle::Steps DisplayCycle::advance(const PlaybackState& state)
{
    m_tick = increment(m_tick);
    Steps steps;
    // A new pair only between cycles: lowering the repetitions in Settings
    // must not swap the pair under a line that is still showing.
    if (m_phase == 0 && m_cycle >= state.repeats) {
        m_cycle = 0;
        steps |= Step::LoadPair;
    }
    const Order order = orderOf(state);
    const int firstTicks = kTicksPerSecond * (state.*order.first.seconds);
    const int allTicks = firstTicks + kTicksPerSecond * (state.*order.second.seconds);
    switch (m_phase) {
    case 0:
        steps |= order.first.show;
        m_phase = 1;
        break;
    case 1:
        if (m_tick < 0 || m_tick >= firstTicks)
            m_phase = 2;
        break;
    case 2:
        steps |= order.first.hide | order.second.show;
        m_phase = 3;
        break;
    case 3:
        if (m_tick < firstTicks || m_tick > allTicks)
            m_phase = 4;
        break;
    case 4:
        steps |= order.second.hide;
        m_cycle = increment(m_cycle);
        m_tick = 0;
        m_phase = 0;
        break;
    default:
        break;
    }
    return steps;
}

void DisplayCycle::restart()
{
    m_tick = 0;
    m_phase = 0;
}
