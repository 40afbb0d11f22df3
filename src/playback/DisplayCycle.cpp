#include "playback/DisplayCycle.h"

#include <algorithm>
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

int DisplayCycle::ticksUntilNextStep(const PlaybackState& state) const
{
    const Order order = orderOf(state);
    const int firstTicks = kTicksPerSecond * (state.*order.first.seconds);
    const int allTicks = firstTicks + kTicksPerSecond * (state.*order.second.seconds);
    // Phases 1 and 3 wait for the tick that moves them on; the step comes
    // one tick after that.
    switch (m_phase) {
    case 1:
        return m_tick < 0 ? 2 : std::max(1, firstTicks - m_tick) + 1;
    case 3:
        return m_tick < firstTicks ? 2 : std::max(1, allTicks + 1 - m_tick) + 1;
    default:
        return 1;
    }
}

DisplayCycle::Steps DisplayCycle::repeatPair(const PlaybackState& state)
{
    // Once its repetitions have run, the pair gets one more.
    if (m_cycle >= state.repeats)
        m_cycle = static_cast<qint16>(std::max(0, state.repeats - 1));
    restart();
    return Steps(Step::ClearItalian) | Step::ParkEnglish;
}

DisplayCycle::Steps DisplayCycle::skipPair(const PlaybackState& state)
{
    m_cycle = std::max(m_cycle, state.repeats);
    restart();
    return Steps(Step::ClearItalian) | Step::ParkEnglish;
}
