#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kPrivateMode = S_IRWXU;
constexpr mode_t kGroupAndOthers = S_IRWXG | S_IRWXO;

// Makes `dir` if it is missing, then trusts it only if it is a real folder
// (not a link) of this user that nobody else may enter. Anyone can make a
// folder of the expected name in a shared temporary folder before us.
bool isPrivateFolder(const QString& dir)
{
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), kPrivateMode) != 0 && errno != EEXIST)
        return false;
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & kGroupAndOthers) == 0;
}

} // namespace

SingleInstance::Names SingleInstance::userNames()
{
    // The session's runtime folder first, then quorvel-<uid> in the temporary
    // folder and a few numbered ones after it, in the same order in every
    // start, so that a later copy finds the folder the first one chose.
    QStringList candidates;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        candidates << QDir::cleanPath(runtime);
    const QString fallback = QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/quorvel-") +
                             QString::number(::getuid());
    candidates << fallback;
    for (int i = 1; i < kFallbackFolders; ++i)
        candidates << fallback + QLatin1Char('.') + QString::number(i);

    for (const QString& dir : std::as_const(candidates)) {
        if (isPrivateFolder(dir))
            return {dir + QStringLiteral("/quorvel.lock"), dir + QStringLiteral("/quorvel.socket")};
    }
    return {};
}
