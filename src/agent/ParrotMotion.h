#pragma once

#include "agent/ParrotPose.h"

#include <QtGlobal>
#include <optional>

// The parrot's animations as functions of time, with no window and no timer:
// the caller says when each one starts and asks for the pose at any moment.
// Appearing/vanishing, the wing and the eye are separate channels, so a blink
// can happen during a wave.
class ParrotMotion {
public:
    enum class Kind { Show, Hide, Wave, Blink };

    static constexpr qint64 kShowMs = 220;
    static constexpr qint64 kHideMs = 200;
    static constexpr qint64 kWaveMs = 1500;
    static constexpr qint64 kBlinkMs = 180;
    // The wave lifts the wing to kWaveLift and swings it by kWaveSwing
    // either way (degrees; negative turns it up over the back).
    static constexpr double kWaveLift = -110.0;
    static constexpr double kWaveSwing = 22.0;

    static qint64 duration(Kind kind);

    void start(Kind kind, qint64 nowMs);
    // Ends every animation at once: the parrot stands still, fully shown.
    void reset();

    ParrotPose poseAt(qint64 nowMs) const;
    // Whether any animation still has frames to play at `nowMs`.
    bool isRunning(qint64 nowMs) const;
    // Whether the last show/hide was a hide (finished or not).
    bool isHiding() const { return m_visibility && m_visibilityKind == Kind::Hide; }
    // Forgets animations that have ended by `nowMs`.
    void settle(qint64 nowMs);

private:
    std::optional<qint64> m_visibility; // start of the show or hide
    Kind m_visibilityKind = Kind::Show;
    std::optional<qint64> m_wave;
    std::optional<qint64> m_blink;
};
