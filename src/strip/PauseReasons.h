#pragma once

#include <cstdint>

// Why playback stands still. The learner's own pause, a locked screen and a
// full-screen window are kept apart, so that one ending never lifts another:
// a pause the learner chose stays through a screen saver that comes and goes.
class PauseReasons {
public:
    enum class Reason : std::uint8_t { Learner = 1, ScreenSaver = 2, FullScreen = 4 };

    void set(Reason reason, bool on)
    {
        const auto bit = static_cast<std::uint8_t>(reason);
        m_reasons = on ? (m_reasons | bit) : (m_reasons & ~bit);
    }
    bool has(Reason reason) const { return (m_reasons & static_cast<std::uint8_t>(reason)) != 0; }

    // Playback holds for any reason.
    bool paused() const { return m_reasons != 0; }
    // The strip and the character leave the screen only for full screen.
    bool hidden() const { return has(Reason::FullScreen); }

private:
    unsigned m_reasons = 0;
};
