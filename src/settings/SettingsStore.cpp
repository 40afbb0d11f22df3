#include "settings/SettingsStore.h"

#include "settings/ProblemReport.h"
#include "settings/SettingKeys.h"

#include <QFileInfo>
#include <QStringList>

namespace {

QString keyName(const SettingKey& key)
{
    return QString::fromLatin1(key.name.data(), qsizetype(key.name.size()));
}

QString settingsPath(const QString& name)
{
    return QLatin1String(SettingsStore::kGroup) + QLatin1Char('/') + name;
}

// A hand-edited value with a comma comes back as a list; take it back to the
// text that was in the file so it is judged like any other value.
QString storedText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope,
                 QLatin1String(SettingsStore::kOrganisation), QString())
{
}

double SettingsStore::loadSettings(PlaybackState& state, double screenWidthTwips)
{
    const float firstRunLeft = SettingKeys::firstRunLeft(screenWidthTwips);
    if (const QString problem = readProblem(); !problem.isEmpty()) {
        // Its values are still in it: never write first-run values over them.
        m_writable = QFileInfo(fileName()).isDir();
        if (m_report)
            m_report->report(fileName(),
                             QStringLiteral("Quorvel cannot read its settings file %1: %2. It "
                                            "plays with the values a new learner starts with, "
                                            "and leaves the file as it is.")
                                 .arg(fileName(), problem));
    }
    state.firstRun = value(keyName(SettingKeys::find("xxx")));
    if (state.firstRun.isEmpty() && m_writable)
        writeFirstRunValues(firstRunLeft);

    float left = firstRunLeft;
    for (const SettingKey& key : SettingKeys::kTable) {
        const QString text = value(keyName(key));
        switch (key.kind) {
        case SettingKind::Integer:
            state.*key.member = SettingKeys::parseInteger(text, key).value_or(key.firstRun);
            break;
        case SettingKind::Marker:
            state.firstRun = text;
            break;
        case SettingKind::LeftEdge:
            left = SettingKeys::parseLeft(text).value_or(firstRunLeft);
            break;
        }
    }
    return left;
}

void SettingsStore::saveSettings(const PlaybackState& state)
{
    for (const SettingKey& key : SettingKeys::kTable) {
        if (!key.savedByDialog)
            continue;
        if (key.kind == SettingKind::Marker)
            write(key, QLatin1String(SettingKeys::kFirstRunMarker));
        else
            writeInteger(key, state);
    }
}

void SettingsStore::saveExitSettings(const PlaybackState& state, double leftTwips)
{
    writeInteger(SettingKeys::find("voice"), state);
    write(SettingKeys::find("left"), SettingKeys::formatLeft(static_cast<float>(leftTwips)));
    // A position is worth keeping only in sequence mode.
    if (state.saveSchedule == 1 && state.playMode == 1)
        writeInteger(SettingKeys::find("guagen"), state);
}

bool SettingsStore::saveSpeechSpeed(const PlaybackState& state)
{
    writeInteger(SettingKeys::find("sspeed"), state);
    return flush();
}

bool SettingsStore::flush()
{
    if (!m_writable)
        return false;
    m_settings.sync();
    if (m_settings.status() == QSettings::NoError)
        return true;
    // status() keeps the first error it met, such as a damaged file read at
    // start-up, so it cannot tell how this write went. A fresh instance
    // shares the pending writes, tries them again as it opens, and starts
    // with a clean status.
    const QSettings probe(QSettings::NativeFormat, QSettings::UserScope,
                          QLatin1String(SettingsStore::kOrganisation), QString());
    if (probe.status() == QSettings::NoError)
        return true;
    reportWriteProblem();
    return false;
}

void SettingsStore::reportWriteProblem()
{
    if (m_report)
        m_report->report(fileName(),
                         QStringLiteral("Quorvel cannot save its settings in %1: %2. Your "
                                        "choices last only until it ends.")
                             .arg(fileName(), FileProblems::whyNotWritable(fileName())));
}

// Why the file that is there cannot be read; empty when it can, or when
// there is none yet. A damaged file is no such case: its readable values
// count, the rest fall back.
QString SettingsStore::readProblem() const
{
    const QFileInfo info(fileName());
    if (info.isDir())
        return QStringLiteral("a folder of that name is in its place");
    if (info.exists() && !info.isReadable())
        return QStringLiteral("permission denied");
    return {};
}

QString SettingsStore::value(const QString& key) const
{
    return storedText(m_settings.value(settingsPath(key)));
}

void SettingsStore::writeFirstRunValues(float left)
{
    for (const SettingKey& key : SettingKeys::kTable) {
        // A file that lost its marker (cut short, or edited by hand) still
        // holds the learner's values: fill in only what is missing.
        if (key.kind != SettingKind::Marker && !value(keyName(key)).isEmpty())
            continue;
        switch (key.kind) {
        case SettingKind::Integer:
            write(key, QString::number(key.firstRun));
            break;
        case SettingKind::Marker:
            write(key, QLatin1String(SettingKeys::kFirstRunMarker));
            break;
        case SettingKind::LeftEdge:
            write(key, SettingKeys::formatLeft(left));
            break;
        }
    }
    // Nothing else writes until the user saves or exits: keep a new user's
    // values even if the program is killed before then.
    flush();
}

void SettingsStore::writeInteger(const SettingKey& key, const PlaybackState& state)
{
    write(key, QString::number(state.*key.member));
}

void SettingsStore::write(const SettingKey& key, const QString& text)
{
    if (!m_writable)
        return;
    const QString name = keyName(key);
    m_settings.setValue(settingsPath(name), text);
    if (m_observer)
        m_observer(name, text);
}
