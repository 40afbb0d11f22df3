#pragma once

#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "content/Corpus.h"
#include "settings/SettingsStore.h"

#include <QMap>
#include <QSettings>
#include <QTimer>

// A caption strip on a fake 1024x768 desktop (15 twips a pixel), its settings
// in a temporary folder. Its timers never run: tests call the handlers.
class StripRig {
public:
    using Stored = QMap<QString, QString>;
    enum Flag { NoTexts = 1, NoCharacter = 2 };

    // `stored` is written as an earlier run left it; empty means a first run.
    explicit StripRig(const Stored& stored = {}, int flags = 0)
        : seeded(seed(stored)), corpus(flags & NoTexts ? Corpus(QByteArray("{}")) : Corpus()),
          agent([this, flags](const QString& id, const QString& location) {
              log << QStringLiteral("Load:%1:%2").arg(id, location);
              return flags & NoCharacter ? nullptr : std::make_unique<RecordingCharacter>(&log);
          }),
          form(state, corpus, store, agent, desktop)
    {
        store.setWriteObserver([this](auto& key, auto&) { log << "write:" + key; });
        form.setMessageHandler([this](const QString& text) { messages << text; });
    }

    void start()
    {
        form.Form_Load();
        form.Timer1->stop();
        form.Timer2->stop();
    }
    // Moves the pointer; one Timer1 tick samples it.
    void pointAt(const QPoint& p)
    {
        desktop.cursor = p;
        form.Timer1_Timer();
    }
    // Auto-hide on and the pointer away: the strip collapses.
    void collapse()
    {
        state.gintCountdown = 1;
        state.gintAutoHide = 1;
        pointAt({500, 400});
    }

    TestEnvironment env; // first: the settings file goes in its folder
    const bool seeded;
    FakeDesktop desktop;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    QStringList log; // calls on the character and writes to the store
    QStringList messages;
    AgentControl agent;
    Form1 form;

private:
    static bool seed(const Stored& stored)
    {
        QSettings file(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brix"));
        for (auto [key, value] : stored.asKeyValueRange())
            file.setValue("Italian/" + key, value);
        if (!stored.isEmpty())
            file.setValue("Italian/xxx", "1"); // the first-run marker
        return true;
    }
};
