#include "settings/ProblemReport.h"

#include <QDir>
#include <QFileInfo>

namespace FileProblems {

QString whyNotWritable(const QString& file)
{
    if (file.isEmpty() || QFileInfo(file).isRelative())
        return QStringLiteral("there is no home folder to keep it in");
    const QFileInfo info(file);
    if (info.isDir())
        return QStringLiteral("a folder of that name is in its place");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("you have no permission to write it");
    // The nearest folder on the way that exists decides.
    QFileInfo folder(info.absolutePath());
    while (!folder.exists() && folder.absoluteFilePath() != QDir::rootPath())
        folder = QFileInfo(folder.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("%1 is a file, not a folder").arg(folder.absoluteFilePath());
    if (!folder.isWritable())
        return QStringLiteral("you have no permission to write in the folder %1")
            .arg(folder.absoluteFilePath());
    return QStringLiteral("the folder %1 cannot be made").arg(info.absolutePath());
}

} // namespace FileProblems
