#pragma once

#include "settings/PlaybackState.h"

#include <QFlags>
#include <QtGlobal>

// The five-phase display cycle of one sentence pair, without a widget. Every
// 100 ms tick it says what the strip has to do now; the strip only carries
// that out. Phase 0 shows the first language, phase 1 waits for its time,
// phase 2 swaps to the second language, phase 3 waits for the rest of the
// cycle and phase 4 ends the cycle.
class DisplayCycle {
public:
    enum class Step : unsigned {
        LoadPair = 1U << 0,        // the pair has had its repetitions: load the next
        ClearItalian = 1U << 1,    // blank the Italian line and stop its scroll
        ParkEnglish = 1U << 2,     // blank the English line and put it below the strip
        ScrollItalianIn = 1U << 3, // start scrolling the Italian line in
        SlideEnglishUp = 1U << 4,  // start sliding the English line up
        SpeakAndWave = 1U << 5,    // the parrot reads the Italian line and waves
    };
    Q_DECLARE_FLAGS(Steps, Step)

    static constexpr int kTicksPerSecond = 10;
    static constexpr int kTickMs = 1000 / kTicksPerSecond;

    // One tick: advances the counters and returns the steps due now, to be
    // carried out in the order the enum lists them.
    Steps advance(const PlaybackState& state);

    // Back to the first tick of a cycle, as at start-up.
    void restart();

    // How many ticks from now the next step falls due, at least 1: while a
    // line simply stays up there is nothing to wake for before then.
    int ticksUntilNextStep(const PlaybackState& state) const;

    // The pair on show starts again from its first phase; it does not count
    // as one of its repetitions. Returns the steps that clear its lines.
    Steps repeatPair(const PlaybackState& state);
    // The pair on show ends now; the next tick loads the next one, as if
    // its repetitions had run. Returns the steps that clear its lines.
    Steps skipPair(const PlaybackState& state);

    qint16 tick() const { return m_tick; }   // ticks since the cycle began
    qint16 cycle() const { return m_cycle; } // cycles completed for the pair
    qint16 phase() const { return m_phase; } // 0..4

private:
    qint16 m_tick = 0;
    qint16 m_cycle = 0;
    qint16 m_phase = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DisplayCycle::Steps)
