#include "platform/ScreenSaverWatch.h"

#include <QDBusConnection>
#include <array>

namespace {

struct BusSignal {
    const char* path;
    const char* interface;
};

// Where desktops announce it: the freedesktop name (KDE, Xfce, MATE and the
// like; KDE also on /ScreenSaver) and GNOME's own.
constexpr std::array<BusSignal, 3> kSignals{{
    {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
}};

constexpr char kSignalName[] = "ActiveChanged";

} // namespace

ScreenSaverWatch::ScreenSaverWatch(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    for (const BusSignal& busSignal : kSignals) {
        // No service name: the match rule then takes the signal from anyone.
        m_watching |= bus.connect(QString(), QLatin1String(busSignal.path),
                                  QLatin1String(busSignal.interface), QLatin1String(kSignalName),
                                  this, SLOT(onActiveChanged(bool)));
    }
}

void ScreenSaverWatch::onActiveChanged(bool active)
{
    // KDE sends it on two paths at once; one change is one report.
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT activeChanged(active);
}
