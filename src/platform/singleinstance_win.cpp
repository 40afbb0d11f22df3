#include "platform/SingleInstance.h"

#include <QDir>

namespace {

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    return name.isEmpty() ? QStringLiteral("user") : name;
}

} // namespace

SingleInstance::Names SingleInstance::userNames()
{
    // The temporary folder is per user; pipe names are not, so they carry the user.
    const QString base = QStringLiteral("quorvel-") + userName();
    return {QDir::temp().filePath(base + QStringLiteral(".lock")), base};
}
