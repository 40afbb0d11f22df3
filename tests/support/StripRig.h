#pragma once

#include "FakeDesktop.h"
#include "FakeSpeechOutput.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/DesktopCharacter.h"
#include "app/TutorAssembly.h"
#include "ui/StartupSplash.h"
#include "ui/TrayIcon.h"

#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QSettings>
#include <QTimer>

// The tutor's object graph, built and connected by the assembly main() runs,
// on a fake 1024x768 desktop (15 twips a pixel), a recording character and a
// fixed order of pairs, its settings in a temporary folder; Exit counts.
// Its timers never run: tests call the handlers.
class StripRig {
public:
    using Stored = QMap<QString, QString>;
    // RealParrot: the parrot itself, its voice a fake (`speech`), instead of
    // the recording character.
    enum Flag { NoTexts = 1, NoCharacter = 2, RealParrot = 4 };
    // An earlier run left the whole course playing in order from its start.
    static inline const Stored kInSequence{{"rd", "1"}, {"guage", "0"}, {"guagen", "10101"}};

    // `stored` is written as an earlier run left it; empty means a first run.
    explicit StripRig(const Stored& stored = {}, int flags = 0)
        : seeded(seed(stored)),
          tutor({.desktop = desktop,
                 .quit = [this] { ++exits; },
                 .characters = [this, flags](const QString& id, const QString& location)
                     -> std::unique_ptr<Character> {
                     log << QStringLiteral("Load:%1:%2").arg(id, location);
                     if (flags & RealParrot) {
                         auto voice = std::make_unique<FakeSpeechOutput>(QStringList{"it_IT"});
                         speech = voice.get();
                         return std::make_unique<DesktopCharacter>(std::move(voice));
                     }
                     if (flags & NoCharacter)
                         return nullptr;
                     return std::make_unique<RecordingCharacter>(&log, &keepClear);
                 },
                 .dialogues = flags & NoTexts ? std::optional(QByteArray("{}")) : std::nullopt,
                 .seed = 1,
                 .tray = TutorAssembly::Tray::Hidden})
    {
        store.setWriteObserver([this](auto& key, auto&) { log << "write:" + key; });
        strip.setMessageHandler([this](const QString& text) { messages << text; });
        strip.setClock([this] { return clockMs; });
    }

    // Start-up, with the timers left to the test.
    void start()
    {
        tutor.start();
        stopTimers();
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
    // The tray is made by start().
    TrayIcon& tray() const { return *tutor.tray(); }
    QAction* trayItem(const char* name) const { return tray().menu()->findChild<QAction*>(name); }
    // A command word as a later start sends it.
    void command(const QByteArray& word) { tutor.perform(word); }
    bool menuOpens() const { return child("Image1")->isEnabled(); }
    bool splashShown() const { return tutor.splash() && tutor.splash()->isVisible(); }

    TestEnvironment env; // first: the settings file goes in its folder
    const bool seeded;
    FakeDesktop desktop;
    QStringList log; // calls on the character and writes to the store
    QRect keepClear; // what the character's balloon must not cover
    QStringList messages;
    FakeSpeechOutput* speech = nullptr; // with RealParrot
    qint64 clockMs = 0;                 // the strip's clock: it moves only when a test moves it
    int exits = 0;
    TutorAssembly tutor;
    PlaybackState& state = tutor.state();
    const Corpus& corpus = tutor.corpus();
    SettingsStore& store = tutor.store();
    AgentControl& agent = tutor.agent();
    CaptionStrip& strip = tutor.strip();
    StripMenu& menu = tutor.menu();
    LearnerControls& controls = tutor.controls();

private:
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
