#include "settings/ProblemReport.h"
#include "settings/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

// Where POSIX calls are not to be had: Qt's own files. A write is checked
// after its flush, since a write error found only when the file closes
// would not stop QSaveFile's rename.
namespace UserFiles {

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

Contents read(const QString& path, qint64 maxBytes)
{
    Contents contents;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return contents;
    contents.exists = true;
    if (info.isDir()) {
        contents.problem = QStringLiteral("a folder of that name is in its place");
        return contents;
    }
    contents.keep = true;
    if (!info.isFile()) {
        contents.problem = QStringLiteral("it is not a regular file");
        return contents;
    }
    if (info.size() > maxBytes) {
        contents.problem =
            QStringLiteral("it is %1 bytes long, far more than such a file holds").arg(info.size());
        return contents;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.problem = file.errorString();
        return contents;
    }
    contents.bytes = file.read(maxBytes);
    contents.keep = false;
    return contents;
}

QString replace(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return FileProblems::whyNotWritable(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString problem = file.errorString();
        file.cancelWriting();
        return problem;
    }
    return file.commit() ? QString() : file.errorString();
}

} // namespace UserFiles
