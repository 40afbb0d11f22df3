#pragma once

#include "agent/AgentControl.h"
#include "content/Corpus.h"
#include "playback/PairSource.h"
#include "settings/PlaybackState.h"
#include "settings/ProblemReport.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionStrip.h"
#include "strip/LearnerControls.h"
#include "ui/ProblemBoxes.h"
#include "ui/StripMenu.h"

#include <QByteArray>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Desktop;
class FullScreenWatch;
class ScreenSaverWatch;
class SingleInstance;
class StartupSplash;
class TrayIcon;

// The tutor's objects, and how the news of each reaches whoever acts on it.
// The program runs this; the tests drive it. What only a real session has
// (the desktop, the speech, the single-copy channel, the buses and the
// display's window manager) comes in through Seams, so tests give fakes.
class TutorAssembly {
public:
    enum class Tray { None, Hidden, Shown };

    struct Seams {
        Desktop& desktop;
        // Leaves the program, once Exit has saved and every message about a
        // file has been closed.
        std::function<void()> quit;
        // Makes the characters; empty: the built-in parrot.
        CharacterCollection::Factory characters = {};
        // The texts as JSON; none: the built-in dialogues.
        std::optional<QByteArray> dialogues = {};
        // Fixes the order of the pairs; none: a new order each run.
        std::optional<std::uint32_t> seed = {};
        // The running copy's channel to later starts; null: none.
        SingleInstance* instance = nullptr;
        Tray tray = Tray::None;
        // Whether to watch the screen saver and full-screen windows.
        bool watchDesktop = false;
    };

    explicit TutorAssembly(Seams seams);
    ~TutorAssembly();
    TutorAssembly(const TutorAssembly&) = delete;
    TutorAssembly& operator=(const TutorAssembly&) = delete;

    // Starts the strip, then makes what shows what start has read: the tray
    // (the stored pace, the first pair) and the watches.
    void start();
    // A command word as a later start sends it.
    void perform(const QByteArray& word);

    PlaybackState& state() { return m_state; }
    const Corpus& corpus() const { return m_corpus; }
    SettingsStore& store() { return m_store; }
    AgentControl& agent() { return m_agent; }
    CaptionStrip& strip() { return m_strip; }
    StripMenu& menu() { return m_menu; }
    LearnerControls& controls() { return m_controls; }
    // Null before start() and when there is no tray.
    TrayIcon* tray() const { return m_tray.get(); }
    StartupSplash* splash() const;

private:
    void connectWindows();
    void connectControls();
    void watchDesktop();

    Seams m_seams;
    PlaybackState m_state;
    const Corpus m_corpus;
    PairSource m_pairs;
    // A file the tutor cannot keep is worth one clear word: the learner's
    // choices would otherwise vanish without a sign.
    ProblemBoxes m_problemBoxes;
    ProblemReport m_problems;
    SettingsStore m_store; // $XDG_CONFIG_HOME/Brix.conf: it names its file itself
    AgentControl m_agent;
    CaptionStrip m_strip;
    StripMenu m_menu;
    LearnerControls m_controls;
    QPointer<StartupSplash> m_splash;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<ScreenSaverWatch> m_screenSaver;
    std::unique_ptr<FullScreenWatch> m_fullScreen;
};
