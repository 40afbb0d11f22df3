#pragma once

#include "FakeDesktop.h"
#include "FakeSpeechOutput.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "agent/DesktopCharacter.h"
#include "content/Corpus.h"
#include "platform/CommandLine.h"
#include "playback/PairSource.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "strip/CaptionStrip.h"
#include "strip/LearnerControls.h"
#include "ui/StartupSplash.h"
#include "ui/StripMenu.h"
#include "ui/TrayIcon.h"

#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QTimer>

// The tutor's object graph as main() builds and connects it, on a fake
// 1024x768 desktop (15 twips a pixel), its settings in a temporary folder.
// Its timers never run: tests call the handlers.
class StripRig {
public:
    using Stored = QMap<QString, QString>;
    // RealParrot: the parrot itself, its voice a fake (`speech`), instead of
    // the recording character.
    enum Flag { NoTexts = 1, NoCharacter = 2, RealParrot = 4 };

    // `stored` is written as an earlier run left it; empty means a first run.
    explicit StripRig(const Stored& stored = {}, int flags = 0)
        : seeded(seed(stored)), corpus(flags & NoTexts ? Corpus(QByteArray("{}")) : Corpus()),
          agent([this, flags](const QString& id,
                              const QString& location) -> std::unique_ptr<Character> {
              log << QStringLiteral("Load:%1:%2").arg(id, location);
              if (flags & RealParrot) {
                  auto voice = std::make_unique<FakeSpeechOutput>(QStringList{"it_IT"});
                  speech = voice.get();
                  return std::make_unique<DesktopCharacter>(std::move(voice));
              }
              if (flags & NoCharacter)
                  return nullptr;
              return std::make_unique<RecordingCharacter>(&log, &keepClear);
          })
    {
        store.setWriteObserver([this](auto& key, auto&) { log << "write:" + key; });
        strip.setMessageHandler([this](const QString& text) { messages << text; });
        strip.setClock([this] { return clockMs; });
        connectWindows();
        connectControls();
    }
    ~StripRig() { delete splash; }
    StripRig(const StripRig&) = delete;
    StripRig& operator=(const StripRig&) = delete;

    // Start-up, with the timers left to the test.
    void start()
    {
        strip.start();
        stopTimers();
        // main() makes the tray after start, from what start has read.
        tray.setSpeed(state.speed);
        tray.showPair(strip.italian(), strip.english());
    }
    void stopTimers()
    {
        for (QTimer* t : strip.findChildren<QTimer*>())
            t->stop();
    }
    // Timer1 ticks until the welcome is over (the cycle is then due to run).
    void finishWelcome()
    {
        while (strip.countdown() > 1)
            strip.pointerTick();
        stopTimers();
    }
    // Moves the pointer; one Timer1 tick samples it.
    void pointAt(const QPoint& p)
    {
        desktop.cursor = p;
        strip.pointerTick();
    }
    // Auto-hide on and the pointer away: the strip collapses.
    void collapse()
    {
        finishWelcome();
        state.autoHide = 1;
        pointAt({500, 400});
    }

    QTimer* timer(const char* name) const { return strip.findChild<QTimer*>(name); }
    QLabel* label(const char* name) const { return strip.findChild<QLabel*>(name); }
    QWidget* child(const char* name) const { return strip.findChild<QWidget*>(name); }
    QAction* item(const char* name) const { return menu.menu()->findChild<QAction*>(name); }
    QAction* trayItem(const char* name) const { return tray.menu()->findChild<QAction*>(name); }
    // A command word as a later start sends it, reaching the strip as in main().
    void command(const QByteArray& word)
    {
        if (const auto known = CommandLine::commandFor(word))
            controls.perform(*known);
    }
    bool menuOpens() const { return child("Image1")->isEnabled(); }
    bool splashShown() const { return splash && splash->isVisible(); }

    TestEnvironment env; // first: the settings file goes in its folder
    const bool seeded;
    FakeDesktop desktop;
    PlaybackState state;
    Corpus corpus;
    PairSource pairs{corpus, 1};
    SettingsStore store;
    QStringList log; // calls on the character and writes to the store
    QRect keepClear; // what the character's balloon must not cover
    QStringList messages;
    FakeSpeechOutput* speech = nullptr; // with RealParrot
    qint64 clockMs = 0;                 // the strip's clock: it moves only when a test moves it
    AgentControl agent;
    CaptionStrip strip{state, pairs, store, agent, desktop};
    StripMenu menu{state, store, desktop};
    QPointer<StartupSplash> splash;
    LearnerControls controls{strip, state, store};
    // Never shown: offscreen has no tray, but its menu and signals work.
    TrayIcon tray{SettingKeys::find("sspeed").firstRun};
    int exits = 0;

private:
    // As main() connects them; Exit saves but leaves the test running.
    void connectWindows()
    {
        using Playback = CaptionStrip::Playback;
        QObject::connect(&strip, &CaptionStrip::menuRequested, &menu, &StripMenu::popup);
        QObject::connect(&menu, &StripMenu::settingsOpened, [this] { strip.setDialogOpen(true); });
        QObject::connect(&menu, &StripMenu::settingsClosed, [this] { strip.setDialogOpen(false); });
        QObject::connect(&menu, &StripMenu::aboutOpened,
                         [this] { strip.setDialogOpen(true, Playback::Continue); });
        QObject::connect(&menu, &StripMenu::aboutClosed,
                         [this] { strip.setDialogOpen(false, Playback::Continue); });
        QObject::connect(&menu, &StripMenu::readAloudToggled, &strip,
                         &CaptionStrip::setCharacterShown);
        QObject::connect(&menu, &StripMenu::menuShown, &strip, &CaptionStrip::setMenuArea);
        QObject::connect(&menu, &StripMenu::menuHidden, [this] { strip.setMenuArea({}); });
        QObject::connect(&menu, &StripMenu::exitRequested, [this] {
            strip.saveExitSettings();
            ++exits;
        });
        QObject::connect(&strip, &CaptionStrip::startupWindowDue, [this] {
            splash = new StartupSplash(desktop);
            QObject::connect(splash, &StartupSplash::dismissed, &strip,
                             &CaptionStrip::skipStartupWindow);
            splash->open();
        });
        QObject::connect(&strip, &CaptionStrip::startupWindowOver, [this] {
            if (splash)
                splash->unload();
        });
    }

    // As main() connects the tray and the later starts' commands.
    void connectControls()
    {
        QObject::connect(&controls, &LearnerControls::exitRequested, &menu,
                         &StripMenu::exitRequested);
        QObject::connect(&tray, &TrayIcon::pauseToggled, &controls, &LearnerControls::togglePause);
        QObject::connect(&tray, &TrayIcon::repeatRequested, &controls, &LearnerControls::repeat);
        QObject::connect(&tray, &TrayIcon::nextRequested, &controls, &LearnerControls::next);
        QObject::connect(&tray, &TrayIcon::speedChosen, &controls,
                         &LearnerControls::setSpeechSpeed);
        QObject::connect(&tray, &TrayIcon::settingsRequested, &menu, &StripMenu::openSettings);
        QObject::connect(&tray, &TrayIcon::exitRequested, &menu, &StripMenu::exitRequested);
        QObject::connect(&tray, &TrayIcon::readAloudToggled, &strip,
                         &CaptionStrip::setCharacterShown);
        QObject::connect(&tray, &TrayIcon::readAloudToggled, &menu, &StripMenu::setReadAloud);
        QObject::connect(&menu, &StripMenu::readAloudToggled, &tray, &TrayIcon::setReadAloud);
        QObject::connect(&controls, &LearnerControls::learnerPauseChanged, &tray,
                         &TrayIcon::setPaused);
        QObject::connect(&controls, &LearnerControls::speechSpeedChanged, &tray,
                         &TrayIcon::setSpeed);
        QObject::connect(&strip, &CaptionStrip::pairShown, &tray, &TrayIcon::showPair);
    }

    static bool seed(const Stored& stored)
    {
        // Written as an earlier version of the tutor wrote it, through QSettings.
        QSettings file(SettingsStore().fileName(), QSettings::IniFormat);
        const QString group = QLatin1String(SettingsStore::kGroup) + QLatin1Char('/');
        for (auto [key, value] : stored.asKeyValueRange())
            file.setValue(group + key, value);
        if (!stored.isEmpty())
            file.setValue(group + "xxx", "1"); // the first-run marker
        return true;
    }
};
