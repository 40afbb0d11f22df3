#include "strip/LearnerControls.h"

#include "agent/SpeechPace.h"
#include "settings/PlaybackState.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionStrip.h"

using Reason = PauseReasons::Reason;

LearnerControls::LearnerControls(CaptionStrip& strip, PlaybackState& state, SettingsStore& store,
                                 QObject* parent)
    : QObject(parent), m_strip(strip), m_state(state), m_store(store)
{
}

void LearnerControls::pause()
{
    setReason(Reason::Learner, true);
}

void LearnerControls::resume()
{
    setReason(Reason::Learner, false);
}

void LearnerControls::togglePause()
{
    setReason(Reason::Learner, !isLearnerPaused());
}

void LearnerControls::repeat()
{
    m_strip.repeatPair();
}

void LearnerControls::next()
{
    m_strip.nextPair();
}

void LearnerControls::perform(CommandLine::Command command)
{
    using Command = CommandLine::Command;
    switch (command) {
    case Command::Pause:
        pause();
        break;
    case Command::Resume:
        resume();
        break;
    case Command::TogglePause:
        togglePause();
        break;
    case Command::Repeat:
        repeat();
        break;
    case Command::Next:
        next();
        break;
    case Command::Quit:
        Q_EMIT exitRequested();
        break;
    }
}

// Only the paces the parrot can read at.
void LearnerControls::setSpeechSpeed(int wordsPerMinute)
{
    if (wordsPerMinute != SpeechPace::clamped(wordsPerMinute) || wordsPerMinute == m_state.speed)
        return;
    m_state.speed = static_cast<qint16>(wordsPerMinute);
    m_store.saveSpeechSpeed(m_state);
    Q_EMIT speechSpeedChanged(wordsPerMinute);
}

void LearnerControls::setScreenSaverActive(bool active)
{
    setReason(Reason::ScreenSaver, active);
}

void LearnerControls::setFullScreen(bool fullScreen)
{
    setReason(Reason::FullScreen, fullScreen);
}

void LearnerControls::setReason(Reason reason, bool on)
{
    if (m_reasons.has(reason) == on)
        return;
    m_reasons.set(reason, on);
    m_strip.setPaused(m_reasons.paused());
    m_strip.setOutOfSight(m_reasons.hidden());
    if (reason == Reason::Learner)
        Q_EMIT learnerPauseChanged(on);
}
