#include "settings/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

// $XDG_CONFIG_HOME/autostart/Italian.desktop, the freedesktop way of starting
// a program at log-on.
namespace {

constexpr char kEntryFile[] = "autostart/Italian.desktop";

// Characters that make the Exec line quote the program's path.
constexpr QStringView kReserved = u" \t\n\r\"'\\><~|&;$*?#()`";
// Characters that stay special inside the quotes and take a backslash.
constexpr QStringView kQuotedSpecial = u"\"`$\\";

// The path as one argument of an Exec line.
QString execArgument(const QString& path)
{
    QString argument;
    const bool quote =
        std::any_of(path.cbegin(), path.cend(), [](QChar c) { return kReserved.contains(c); });
    if (quote) {
        argument += QLatin1Char('"');
        for (const QChar c : path) {
            if (kQuotedSpecial.contains(c))
                argument += QLatin1Char('\\');
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = path;
    }
    // A lone '%' would start a field code.
    argument.replace(QLatin1Char('%'), QLatin1String("%%"));
    return argument;
}

// Escapes a value of type string; readers undo this before they split the
// Exec line into arguments, so a backslash of the quoting is written twice.
QString escapeString(const QString& text)
{
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QByteArray desktopEntry(const QString& programPath)
{
    const QString exec = escapeString(execArgument(programPath));
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Quorvel\n"
                             "Comment=Everyday Italian sentences on the top edge of the screen\n"
                             "Exec=") +
           exec.toUtf8() +
           QByteArrayLiteral("\n"
                             "Icon=quorvel\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n");
}

} // namespace

namespace Autostart {

bool enable(const QString& programPath)
{
    const QString file = location();
    if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    // Written beside the old entry and renamed over it: never half a file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(desktopEntry(programPath));
    return out.commit();
}

bool disable()
{
    const QString file = location();
    if (file.isEmpty() || QFile::remove(file))
        return true;
    // Nothing to remove is as good as removed.
    return !QFileInfo::exists(file);
}

bool isEnabled()
{
    const QString file = location();
    return !file.isEmpty() && QFileInfo::exists(file);
}

QString location()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // Without a home there is no per-user place for the entry.
    if (config.isEmpty())
        return QString();
    return QDir(config).filePath(QLatin1String(kEntryFile));
}

} // namespace Autostart
