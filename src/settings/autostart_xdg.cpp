#include "settings/Autostart.h"
#include "settings/ProblemReport.h"
#include "settings/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

// $XDG_CONFIG_HOME/autostart/Italian.desktop, the freedesktop way of starting
// a program at log-on.
namespace {

constexpr char kEntryFile[] = "autostart/Italian.desktop";
// An entry is a few hundred bytes.
constexpr qint64 kMaxEntryBytes = 64 * 1024;
constexpr char kOurName[] = "Name=Quorvel";
// Seconds the session waits before it starts the tutor at log-on.
constexpr int kStartDelaySeconds = 5;

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

// TryExec: once the program is removed, the session skips the entry instead
// of failing to start it. The start waits for the panel and the tray, which
// the session starts at the same time.
QByteArray desktopEntry(const QString& programPath)
{
    const QString exec = escapeString(execArgument(programPath));
    const QByteArray delay = QByteArray::number(kStartDelaySeconds);
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Quorvel\n"
                             "Comment=Everyday Italian sentences on the top edge of the screen\n"
                             "TryExec=") +
           escapeString(programPath).toUtf8() + QByteArrayLiteral("\nExec=") + exec.toUtf8() +
           QByteArrayLiteral("\n"
                             "Icon=quorvel\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n"
                             "X-GNOME-Autostart-Delay=") +
           delay + QByteArrayLiteral("\nX-MATE-Autostart-Delay=") + delay +
           QByteArrayLiteral("\n"
                             "X-KDE-autostart-after=panel\n"
                             "X-LXQt-Need-Tray=true\n");
}

// An entry this program wrote (or an empty file, which starts nothing):
// one it may replace or remove. Any other entry of that name, or a link to
// one, is another program's.
bool isOurs(const QByteArray& entry)
{
    return entry.trimmed().isEmpty() || entry.split('\n').contains(kOurName);
}

// What stands in the way of replacing or removing the entry; empty if nothing.
QString obstacle(const UserFiles::Contents& entry)
{
    if (entry.keep)
        return entry.problem;
    if (entry.problem.isEmpty() && !isOurs(entry.bytes))
        return QStringLiteral("another program's entry is in its place");
    return {};
}

} // namespace

namespace Autostart {

QString enable(const QString& programPath)
{
    const QString file = location();
    if (file.isEmpty())
        return QStringLiteral("there is no home folder to keep it in");
    if (const QString problem = obstacle(UserFiles::read(file, kMaxEntryBytes)); !problem.isEmpty())
        return problem;
    return UserFiles::replace(file, desktopEntry(programPath));
}

QString disable()
{
    const QString file = location();
    const UserFiles::Contents entry = UserFiles::read(file, kMaxEntryBytes);
    if (file.isEmpty() || !entry.exists)
        return {};
    if (entry.problem.isEmpty() && !isOurs(entry.bytes))
        return {}; // not ours to remove
    if (const QString problem = obstacle(entry); !problem.isEmpty())
        return problem;
    // A link goes, not the file it leads to.
    if (QFile::remove(file) || !QFileInfo::exists(file))
        return {};
    return FileProblems::whyNotWritable(file);
}

bool isEnabled()
{
    const QString file = location();
    return !file.isEmpty() && QFileInfo::exists(file);
}

QString location()
{
    const QString config = UserFiles::configHome();
    // Without a home there is no per-user place for the entry.
    if (config.isEmpty())
        return QString();
    return QDir(config).filePath(QLatin1String(kEntryFile));
}

} // namespace Autostart
