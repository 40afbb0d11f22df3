#pragma once

#include "settings/IniDocument.h"
#include "settings/PlaybackState.h"

#include <QString>
#include <functional>

class ProblemReport;
struct SettingKey;

// The per-user settings file, $XDG_CONFIG_HOME/Brix.conf: sixteen text keys
// in its "Italian" section. It is written whole or not at all, and never
// over a file it could not read as its own.
class SettingsStore {
public:
    // Told of every write, in the order made (the file itself is sorted).
    using WriteObserver = std::function<void(const QString& key, const QString& text)>;

    // Where the file lives: $XDG_CONFIG_HOME/<organisation>.conf, keys under
    // the group.
    static constexpr char kOrganisation[] = "Brix";
    static constexpr char kGroup[] = "Italian";

    SettingsStore();

    // Reads every key into `state`, writing the first-run values first when
    // the file has none. Returns the strip's left edge in twips ("left").
    // A value that is missing, not a number or out of range falls back to
    // its first-run value in memory; the file is not rewritten for it.
    double loadSettings(PlaybackState& state, double screenWidthTwips);
    // The Settings dialog's keys.
    void saveSettings(const PlaybackState& state);
    // "voice", "left" and, in sequence mode with "psave" on, "guagen".
    void saveExitSettings(const PlaybackState& state, double leftTwips);

    // "sspeed" alone, pushed to the disk at once: the learner picked a pace.
    bool saveSpeechSpeed(const PlaybackState& state);

    // Pushes pending writes to the disk; false if they could not be written
    // (then told to the problem report, once).
    bool flush();

    // Where a file that cannot be read or written is told.
    void setProblemReport(ProblemReport* report) { m_report = report; }
    // False when the file exists but could not be read at start-up: then
    // nothing is written this run, so the learner's values in it survive.
    bool isWritable() const { return m_writable; }

    // The text stored under `key` (empty if absent); for tests and tools.
    QString value(const QString& key) const;
    // Empty when there is no home folder to keep it in.
    QString fileName() const { return m_fileName; }

    void setWriteObserver(WriteObserver observer) { m_observer = std::move(observer); }

private:
    void writeFirstRunValues(float left);
    void writeInteger(const SettingKey& key, const PlaybackState& state);
    void write(const SettingKey& key, const QString& text);
    void reportWriteProblem(const QString& reason);

    QString m_fileName;
    IniDocument::Values m_values;  // what the file holds, with this run's writes
    IniDocument::Values m_pending; // this run's writes not yet on the disk
    WriteObserver m_observer;
    ProblemReport* m_report = nullptr;
    bool m_writable = true;
};
