#include "playback/PlayClock.h"

#include "playback/DisplayCycle.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr qint64 kTickMs = DisplayCycle::kTickMs;

} // namespace

qint64 PlayClock::monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PlayClock::restart(qint64 now, qint64 ticks)
{
    m_ticks = ticks;
    m_playedMs = ticks * kTickMs;
    m_since = now;
}

void PlayClock::run(qint64 now)
{
    if (m_running)
        return;
    m_since = now;
    m_running = true;
}

void PlayClock::hold(qint64 now)
{
    if (!m_running)
        return;
    m_playedMs = playedMs(now);
    m_since = now;
    m_running = false;
}

int PlayClock::takeTicks(qint64 now, int atLeast, int atMost)
{
    const qint64 played = playedMs(now);
    const qint64 due =
        std::clamp<qint64>(played / kTickMs - m_ticks, atLeast, std::max(atLeast, atMost));
    m_ticks += due;
    if (played / kTickMs > m_ticks) { // keep only the part of a tick
        m_playedMs = m_ticks * kTickMs + played % kTickMs;
        m_since = now;
    }
    return static_cast<int>(due);
}

qint64 PlayClock::msUntil(qint64 now, int ticks) const
{
    // Ticks taken ahead of the clock count as played.
    const qint64 played = std::max(playedMs(now), m_ticks * kTickMs);
    return std::max<qint64>(0, (m_ticks + ticks) * kTickMs - played);
}

qint64 PlayClock::playedMs(qint64 now) const
{
    return m_playedMs + (m_running ? std::max<qint64>(0, now - m_since) : 0);
}
