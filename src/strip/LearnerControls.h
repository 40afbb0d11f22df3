#pragma once

#include "platform/CommandLine.h"
#include "strip/PauseReasons.h"

#include <QObject>

class CaptionStrip;
class SettingsStore;
struct PlaybackState;

// What the learner asks of playback from outside the strip (the tray icon,
// a desktop shortcut through the command line), and what the desktop says
// (screen saver, full screen). It keeps the reasons for a pause apart and
// tells the strip only the result.
class LearnerControls : public QObject {
    Q_OBJECT

public:
    LearnerControls(CaptionStrip& strip, PlaybackState& state, SettingsStore& store,
                    QObject* parent = nullptr);

    void pause();
    void resume();
    void togglePause();
    void repeat();
    void next();
    // A command that came from another start of the program.
    void perform(CommandLine::Command command);
    // Words per minute, from the next sentence on; stored at once.
    void setSpeechSpeed(int wordsPerMinute);

    void setScreenSaverActive(bool active);
    void setFullScreen(bool fullScreen);

    bool isLearnerPaused() const { return m_reasons.has(PauseReasons::Reason::Learner); }
    const PauseReasons& reasons() const { return m_reasons; }

Q_SIGNALS:
    // The learner's own pause, for captions that name it.
    void learnerPauseChanged(bool paused);
    void speechSpeedChanged(int wordsPerMinute);
    // --quit: the Exit command.
    void exitRequested();

private:
    void setReason(PauseReasons::Reason reason, bool on);

    CaptionStrip& m_strip;
    PlaybackState& m_state;
    SettingsStore& m_store;
    PauseReasons m_reasons;
};
