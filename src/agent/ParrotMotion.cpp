#include "agent/ParrotMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kWaveLift = ParrotMotion::kWaveLift;
constexpr double kWaveSwing = ParrotMotion::kWaveSwing;
constexpr double kWaveSwings = 3.0;     // full swings while raised
constexpr double kWaveRaiseShare = 0.2; // share of the wave spent raising (and lowering)
constexpr double kHiddenScale = 0.82;

double progress(qint64 start, qint64 now, qint64 duration)
{
    return std::clamp(double(now - start) / double(duration), 0.0, 1.0);
}

double easeOut(double t)
{
    return 1.0 - std::pow(1.0 - t, 3.0);
}

double smoothStep(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

double waveAngle(double t)
{
    const double up = smoothStep(std::min(t / kWaveRaiseShare, 1.0));
    const double down = smoothStep(std::min((1.0 - t) / kWaveRaiseShare, 1.0));
    const double lift = std::min(up, down);
    const double swing = std::sin(t * kWaveSwings * 2.0 * std::numbers::pi);
    return lift * (kWaveLift + kWaveSwing * swing);
}

bool running(const std::optional<qint64>& start, qint64 now, qint64 duration)
{
    return start && now - *start < duration;
}

} // namespace

qint64 ParrotMotion::duration(Kind kind)
{
    switch (kind) {
    case Kind::Show:
        return kShowMs;
    case Kind::Hide:
        return kHideMs;
    case Kind::Wave:
        return kWaveMs;
    case Kind::Blink:
        return kBlinkMs;
    }
    return 0;
}

void ParrotMotion::start(Kind kind, qint64 nowMs)
{
    switch (kind) {
    case Kind::Show:
    case Kind::Hide:
        m_visibility = nowMs;
        m_visibilityKind = kind;
        break;
    case Kind::Wave:
        m_wave = nowMs;
        break;
    case Kind::Blink:
        m_blink = nowMs;
        break;
    }
}

void ParrotMotion::reset()
{
    m_visibility.reset();
    m_wave.reset();
    m_blink.reset();
}

ParrotPose ParrotMotion::poseAt(qint64 nowMs) const
{
    ParrotPose pose;
    if (m_visibility) {
        const qint64 length = duration(m_visibilityKind);
        const double t = easeOut(progress(*m_visibility, nowMs, length));
        const double shown = m_visibilityKind == Kind::Show ? t : 1.0 - t;
        pose.opacity = shown;
        pose.scale = kHiddenScale + (1.0 - kHiddenScale) * shown;
    }
    if (running(m_wave, nowMs, kWaveMs))
        pose.wingAngle = waveAngle(progress(*m_wave, nowMs, kWaveMs));
    if (running(m_blink, nowMs, kBlinkMs))
        pose.eyeOpen = std::abs(1.0 - 2.0 * progress(*m_blink, nowMs, kBlinkMs));
    return pose;
}

bool ParrotMotion::isRunning(qint64 nowMs) const
{
    return (m_visibility && running(m_visibility, nowMs, duration(m_visibilityKind))) ||
           running(m_wave, nowMs, kWaveMs) || running(m_blink, nowMs, kBlinkMs);
}

void ParrotMotion::settle(qint64 nowMs)
{
    if (m_visibility && !running(m_visibility, nowMs, duration(m_visibilityKind)) &&
        m_visibilityKind == Kind::Show)
        m_visibility.reset();
    if (!running(m_wave, nowMs, kWaveMs))
        m_wave.reset();
    if (!running(m_blink, nowMs, kBlinkMs))
        m_blink.reset();
}
