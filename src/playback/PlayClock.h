#pragma once

#include <QtGlobal>

// The display cycle's own time: milliseconds of playback on a monotonic
// clock, standing still while playback is held, counted out in whole ticks.
// The tick is counted from when the clock started, never from when a timer
// happened to wake, so a late or early wake-up does not move the next step,
// and a hold keeps the part of a tick already played.
class PlayClock {
public:
    // A monotonic clock in milliseconds, the one precise timers run on.
    static qint64 monotonicMs();

    // Counts again from `ticks` whole ticks played, as of `now`; running or
    // held as before.
    void restart(qint64 now, qint64 ticks = 0);
    void run(qint64 now);
    void hold(qint64 now);
    bool isRunning() const { return m_running; }

    // The ticks played since the last call, at least `atLeast`: a timer armed
    // for that many ticks has run its time even if the clock reads a moment
    // less. At most `atMost`: whole ticks beyond it (a stalled program) are
    // dropped, so that the cycle does not race through them.
    int takeTicks(qint64 now, int atLeast, int atMost);
    // Milliseconds of playback from `now` until `ticks` more ticks have been
    // played, at least 0.
    qint64 msUntil(qint64 now, int ticks) const;

private:
    qint64 playedMs(qint64 now) const;

    qint64 m_playedMs = 0; // played until m_since
    qint64 m_since = 0;    // when it last ran or was held
    qint64 m_ticks = 0;    // whole ticks taken
    bool m_running = false;
};
