#include "settings/ProblemReport.h"
#include "settings/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// More links in a row than this are a loop.
constexpr int kMaxLinks = 40;
// Files made here are the learner's alone until they choose otherwise.
constexpr mode_t kNewFileMode = 0600;
constexpr mode_t kModeBits = 07777;

QString kindInPlace(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder of that name is in its place");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe is in its place, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device is in its place, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket is in its place, not a file");
    return QStringLiteral("it is not a regular file");
}

// The system's reason in the words a learner can act on; `folder` is where
// the file was being made.
QString reasonFor(int error, const QString& folder)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EDQUOT:
        return QStringLiteral("your disk quota is used up");
    case EROFS:
        return QStringLiteral("the file system is read-only");
    case EACCES:
    case EPERM:
        return QStringLiteral("you have no permission to write in the folder %1").arg(folder);
    case EISDIR:
        return QStringLiteral("a folder of that name is in its place");
    case ENOTDIR:
        return QStringLiteral("a part of its path is a file, not a folder");
    case ELOOP:
        return QStringLiteral("it is a link that leads round in a circle");
    case EFBIG:
        return QStringLiteral("the system's limit on the size of a file was reached");
    case EIO:
        return QStringLiteral("the disk reported an input/output error");
    default:
        return qt_error_string(error);
    }
}

// Permission was denied: by the folder, or by the file itself.
QString whyNotReadable(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), X_OK) != 0)
        return QStringLiteral("you have no permission to open the folder %1").arg(folder);
    return QStringLiteral("you have no permission to read it");
}

// The file a chain of links ends at (the path itself when it is no link).
QString linkTarget(const QString& path)
{
    QFileInfo info(path);
    for (int i = 0; i < kMaxLinks && info.isSymLink(); ++i)
        info = QFileInfo(info.symLinkTarget());
    return info.absoluteFilePath();
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// The rename is on the disk only once its folder is.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace UserFiles {

QString configHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home)) {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? QFile::decodeName(user->pw_dir) : QString();
    }
    return QDir::isAbsolutePath(home) ? QDir::cleanPath(home) + QStringLiteral("/.config")
                                      : QString();
}

Contents read(const QString& path, qint64 maxBytes)
{
    Contents contents;
    // Non-blocking: opening a named pipe for reading would otherwise wait
    // for a writer that never comes.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // Nothing there yet (or a folder on the way is missing or a file):
        // writing will say what stands in the way.
        if (error == ENOENT || error == ENOTDIR)
            return contents;
        contents.exists = true;
        contents.keep = true;
        contents.problem = error == EACCES ? whyNotReadable(path)
                                           : reasonFor(error, QFileInfo(path).absolutePath());
        return contents;
    }
    contents.exists = true;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        contents.keep = !S_ISDIR(info.st_mode);
        contents.problem = kindInPlace(info.st_mode);
    } else if (info.st_uid != ::geteuid()) {
        contents.keep = true;
        contents.problem = QStringLiteral("it belongs to another user");
    } else if (info.st_size > maxBytes) {
        contents.keep = true;
        contents.problem = QStringLiteral("it is %1 bytes long, far more than such a file holds")
                               .arg(info.st_size);
    } else {
        contents.bytes.resize(qsizetype(info.st_size));
        qsizetype got = 0;
        while (got < contents.bytes.size()) {
            const ssize_t n =
                ::read(fd, contents.bytes.data() + got, size_t(contents.bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                contents.keep = true;
                contents.problem = reasonFor(errno, QFileInfo(path).absolutePath());
                break;
            }
            if (n == 0)
                break;
            got += n;
        }
        contents.bytes.truncate(got);
    }
    ::close(fd);
    return contents;
}

QString replace(const QString& path, const QByteArray& bytes)
{
    const QString target = linkTarget(path);
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return FileProblems::whyNotWritable(target);

    const QByteArray targetName = QFile::encodeName(target);
    struct stat old = {};
    const bool existed = ::stat(targetName.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return kindInPlace(old.st_mode);
    if (existed && old.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");

    QByteArray temporary = targetName + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return reasonFor(errno, folder);
    int error = 0;
    if (::fchmod(fd, existed ? old.st_mode & kModeBits : kNewFileMode) != 0 ||
        !writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), targetName.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return reasonFor(error, folder);
    }
    syncFolder(QFile::encodeName(folder));
    return {};
}

} // namespace UserFiles
