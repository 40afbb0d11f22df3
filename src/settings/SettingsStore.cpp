#include "settings/SettingsStore.h"

#include "settings/ProblemReport.h"
#include "settings/SettingKeys.h"
#include "settings/UserFiles.h"

namespace {

// A settings file is well under a kilobyte; anything this large is not one.
constexpr qint64 kMaxFileBytes = 256 * 1024;

QString keyName(const SettingKey& key)
{
    return QString::fromLatin1(key.name.data(), qsizetype(key.name.size()));
}

QString settingsFileName()
{
    const QString folder = UserFiles::configHome();
    return folder.isEmpty()
               ? QString()
               : folder + QLatin1Char('/') + QLatin1String(SettingsStore::kOrganisation) +
                     QStringLiteral(".conf");
}

IniDocument emptyDocument()
{
    return IniDocument(QLatin1String(SettingsStore::kGroup));
}

} // namespace

SettingsStore::SettingsStore() : m_fileName(settingsFileName()) {}

double SettingsStore::loadSettings(PlaybackState& state, double screenWidthTwips)
{
    const float firstRunLeft = SettingKeys::firstRunLeft(screenWidthTwips);
    const UserFiles::Contents contents = UserFiles::read(m_fileName, kMaxFileBytes);
    const IniDocument document(contents.bytes, QLatin1String(kGroup));
    const QString problem = contents.problem.isEmpty() ? document.problem() : contents.problem;
    if (!problem.isEmpty()) {
        // Its values are still in it: never write first-run values over them.
        // A folder in its place holds nothing of ours; a later save may find
        // the way clear.
        m_writable = !contents.problem.isEmpty() && !contents.keep;
        if (m_report)
            m_report->report(m_fileName,
                             QStringLiteral("Quorvel cannot read its settings file %1: %2. It "
                                            "plays with the values a new learner starts with, "
                                            "and leaves the file as it is.")
                                 .arg(m_fileName, problem));
    } else {
        m_values = document.values();
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
    if (m_pending.isEmpty())
        return true;
    if (m_fileName.isEmpty()) {
        reportWriteProblem(FileProblems::whyNotWritable(m_fileName));
        return false;
    }
    // Written on top of what is on the disk now, so a hand edit made while
    // the tutor runs survives; a file that has gone gets all we know.
    const UserFiles::Contents now = UserFiles::read(m_fileName, kMaxFileBytes);
    IniDocument document = now.exists && now.problem.isEmpty()
                               ? IniDocument(now.bytes, QLatin1String(kGroup))
                               : emptyDocument();
    QString problem = now.keep ? now.problem : document.problem();
    if (problem.isEmpty()) {
        const auto apply = [&document](const IniDocument::Values& values) {
            for (auto [key, text] : values.asKeyValueRange())
                document.setValue(key, text);
        };
        if (!now.exists)
            apply(m_values);
        apply(m_pending);
        problem = UserFiles::replace(m_fileName, document.toUtf8());
    }
    if (!problem.isEmpty()) {
        reportWriteProblem(problem);
        return false;
    }
    m_values = document.values();
    m_pending.clear();
    return true;
}

void SettingsStore::reportWriteProblem(const QString& reason)
{
    if (m_report)
        m_report->report(m_fileName,
                         QStringLiteral("Quorvel cannot save its settings in %1: %2. Your "
                                        "choices last only until it ends.")
                             .arg(m_fileName, reason));
}

QString SettingsStore::value(const QString& key) const
{
    return m_values.value(key);
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
    m_values.insert(name, text);
    m_pending.insert(name, text);
    if (m_observer)
        m_observer(name, text);
}
