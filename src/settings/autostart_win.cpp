#include "settings/Autostart.h"

#include <QDir>
#include <QSettings>

// HKEY_CURRENT_USER\...\Run value "Italian", through the registry backend of
// QSettings.
namespace {

constexpr char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValueName[] = "Italian";

} // namespace

namespace Autostart {

namespace {

QString registryProblem(const QSettings& run)
{
    return run.status() == QSettings::NoError ? QString()
                                              : QStringLiteral("the registry refused the change");
}

} // namespace

QString enable(const QString& programPath)
{
    QSettings run(QLatin1String(kRunKey), QSettings::NativeFormat);
    // Quoted, so a path with blanks cannot start a different program.
    run.setValue(QLatin1String(kValueName),
                 QLatin1Char('"') + QDir::toNativeSeparators(programPath) + QLatin1Char('"'));
    run.sync();
    return registryProblem(run);
}

QString disable()
{
    QSettings run(QLatin1String(kRunKey), QSettings::NativeFormat);
    run.remove(QLatin1String(kValueName));
    run.sync();
    return registryProblem(run);
}

bool isEnabled()
{
    const QSettings run(QLatin1String(kRunKey), QSettings::NativeFormat);
    return run.contains(QLatin1String(kValueName));
}

QString location()
{
    return QString::fromLatin1(kRunKey) + QLatin1Char('\\') + QLatin1String(kValueName);
}

} // namespace Autostart
