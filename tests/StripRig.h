#pragma once

#include "FakeDesktop.h"
#include "RecordingCharacter.h"
#include "TestEnvironment.h"
#include "agent/AgentControl.h"
#include "app/Form1.h"
#include "app/StripPicture.h"
#include "content/Corpus.h"
#include "settings/SettingsStore.h"

#include <QMap>
#include <QSettings>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

// A caption strip on a fake 1024x768 desktop (15 twips to the pixel) with a
// recording character, its settings file in a temporary folder and the
// missing-string message answered by the test. The QTimers are stopped
// after start-up: tests call the handlers themselves.
class StripRig {
public:
    using Stored = QMap<QString, QString>;

    struct Options {
        // Written to the settings file first, as an earlier run would have
        // left it (with the first-run marker); empty means a first run.
        Stored stored;
        // Stands in for the built-in dialogues.
        std::optional<Corpus> corpus;
        bool withCharacter = true;
        double twipsPerPixel = 15.0;

        Options& storing(Stored values)
        {
            stored = std::move(values);
            return *this;
        }
        Options& reading(Corpus replacement)
        {
            corpus = std::move(replacement);
            return *this;
        }
        Options& withoutCharacter()
        {
            withCharacter = false;
            return *this;
        }
        Options& atTwipsPerPixel(double twips)
        {
            twipsPerPixel = twips;
            return *this;
        }
    };

    StripRig() : StripRig(Options{}) {}
    explicit StripRig(Options options)
        : m_written(writeStored(options.stored)), desktop(fakeDesktop(options.twipsPerPixel)),
          corpus(options.corpus ? std::move(*options.corpus) : Corpus()),
          agent([this, with = options.withCharacter](const QString& id, const QString& location) {
              log << QStringLiteral("Load:%1:%2").arg(id, location);
              if (!with || id != QLatin1String("Peedy"))
                  return std::unique_ptr<Character>();
              return std::unique_ptr<Character>(std::make_unique<RecordingCharacter>(&log));
          }),
          form(state, corpus, store, agent, desktop)
    {
        store.setWriteObserver(
            [this](const QString& key, const QString&) { log << QStringLiteral("write:") + key; });
        form.setMessageHandler([this](const QString& text) { messages << text; });
    }

    void start()
    {
        form.Form_Load();
        stopTimers();
    }

    void stopTimers()
    {
        for (QTimer* timer : {form.Timer1, form.Timer2, form.Timer3, form.Timer4, form.Timer5})
            timer->stop();
    }

    // Timer1 until the welcome has run out and playback has been started.
    void runWelcome()
    {
        while (state.gintCountdown > 1 || !form.Timer5->isActive()) {
            form.Timer1_Timer();
            if (state.gintCountdown == 1 && !form.Image1->isEnabled())
                break;
        }
        stopTimers();
    }

    // Pointer somewhere, then one Timer1 tick to sample it.
    void pointAt(const QPoint& p)
    {
        desktop.cursor = p;
        form.Timer1_Timer();
    }

    // A strip with auto-hide on, collapsed because the pointer is away.
    void collapse()
    {
        state.gintCountdown = 1;
        state.gintAutoHide = 1;
        pointAt({500, 400});
    }

    TestEnvironment env;

private:
    bool writeStored(const Stored& stored)
    {
        if (stored.isEmpty())
            return false;
        QSettings file(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brix"),
                       QString());
        file.beginGroup(QStringLiteral("Italian"));
        file.setValue(QStringLiteral("xxx"), QStringLiteral("1"));
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            file.setValue(it.key(), it.value());
        file.endGroup();
        file.sync();
        return true;
    }

    static FakeDesktop fakeDesktop(double twipsPerPixel)
    {
        FakeDesktop fake;
        fake.twipsPerPixel = twipsPerPixel;
        return fake;
    }

    bool m_written;

public:
    FakeDesktop desktop;
    PlaybackState state;
    Corpus corpus;
    SettingsStore store;
    QStringList log;
    QStringList messages;
    AgentControl agent;
    Form1 form;
};
