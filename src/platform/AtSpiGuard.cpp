#include "platform/AtSpiGuard.h"

#include <QDBusMessage>
#include <QVariant>

// QtDBus's hook for a look at each method call before it is delivered;
// exported by QtDBus but declared only in its private headers.
using QDBusSpyHook = void (*)(const QDBusMessage&);
Q_DBUS_EXPORT void qDBusAddSpyHook(QDBusSpyHook);

namespace {

constexpr char kProperties[] = "org.freedesktop.DBus.Properties";
constexpr char kGetAll[] = "GetAll";
constexpr char kAccessiblePaths[] = "/org/a11y/atspi/";
// Get's arguments: the interface and the property.
constexpr qsizetype kGetArguments = 2;

void mendGetAll(const QDBusMessage& message)
{
    if (message.interface() != QLatin1String(kProperties) ||
        message.member() != QLatin1String(kGetAll) ||
        !message.path().startsWith(QLatin1String(kAccessiblePaths)))
        return;
    QList<QVariant> arguments = message.arguments();
    if (arguments.size() >= kGetArguments)
        return;
    arguments.append(QString());
    // The hook is handed the very message the bridge is given next.
    const_cast<QDBusMessage&>(message).setArguments(arguments);
}

} // namespace

void AtSpiGuard::install()
{
    qDBusAddSpyHook(mendGetAll);
}
