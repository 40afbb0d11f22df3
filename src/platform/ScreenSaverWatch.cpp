#include "platform/ScreenSaverWatch.h"

#include <QDBusConnection>
#include <array>

namespace {

struct BusSignal {
    const char* path;
    const char* interface;
};

// Where desktops announce the screen saver: the freedesktop name (KDE,
// MATE and the like; KDE also on /ScreenSaver), GNOME's and Xfce's own.
constexpr std::array<BusSignal, 4> kScreenSavers{{
    {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
    {"/org/xfce/ScreenSaver", "org.xfce.ScreenSaver"},
}};

constexpr char kActiveChanged[] = "ActiveChanged";
constexpr char kLogin[] = "org.freedesktop.login1";
constexpr char kLoginPath[] = "/org/freedesktop/login1";
constexpr char kLoginManager[] = "org.freedesktop.login1.Manager";
constexpr char kLoginSession[] = "org.freedesktop.login1.Session";
constexpr char kSessionPaths[] = "/org/freedesktop/login1/session/";

} // namespace

ScreenSaverWatch::ScreenSaverWatch(QObject* parent)
    : ScreenSaverWatch(QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
                       qEnvironmentVariable("XDG_SESSION_ID"), parent)
{
}

ScreenSaverWatch::ScreenSaverWatch(const QDBusConnection& sessionBus,
                                   const QDBusConnection& systemBus, const QString& sessionId,
                                   QObject* parent)
    : QObject(parent)
{
    watchSession(sessionBus);
    watchSystem(systemBus, sessionId);
}

void ScreenSaverWatch::watchSession(QDBusConnection bus)
{
    if (!bus.isConnected())
        return;
    for (const BusSignal& busSignal : kScreenSavers) {
        // No service name: the match rule then takes the signal from anyone.
        m_watching |= bus.connect(QString(), QLatin1String(busSignal.path),
                                  QLatin1String(busSignal.interface), QLatin1String(kActiveChanged),
                                  this, SLOT(onActiveChanged(bool)));
    }
}

void ScreenSaverWatch::watchSystem(QDBusConnection bus, const QString& sessionId)
{
    if (!bus.isConnected())
        return;
    m_watching |=
        bus.connect(QLatin1String(kLogin), QLatin1String(kLoginPath), QLatin1String(kLoginManager),
                    QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
    if (sessionId.isEmpty())
        return;
    const QString path = sessionPath(sessionId);
    m_watching |= bus.connect(QLatin1String(kLogin), path, QLatin1String(kLoginSession),
                              QStringLiteral("Lock"), this, SLOT(onLock()));
    m_watching |= bus.connect(QLatin1String(kLogin), path, QLatin1String(kLoginSession),
                              QStringLiteral("Unlock"), this, SLOT(onUnlock()));
}

QString ScreenSaverWatch::sessionPath(const QString& id)
{
    // Letters and digits stay, but for a leading digit; every other byte
    // becomes _ and two hex digits.
    QString path = QLatin1String(kSessionPaths);
    const QByteArray bytes = id.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || (digit && i > 0))
            path += QLatin1Char(c);
        else
            path += QLatin1Char('_') + QString::number(uchar(c), 16).rightJustified(2, u'0');
    }
    return path;
}

void ScreenSaverWatch::onActiveChanged(bool active)
{
    m_screenSaver = active;
    update();
}

void ScreenSaverWatch::onLock()
{
    m_locked = true;
    update();
}

void ScreenSaverWatch::onUnlock()
{
    m_locked = false;
    update();
}

void ScreenSaverWatch::onPrepareForSleep(bool sleeping)
{
    m_sleeping = sleeping;
    update();
}

void ScreenSaverWatch::update()
{
    // KDE sends the screen saver's change on two paths at once; one change
    // is one report.
    const bool active = m_screenSaver || m_locked || m_sleeping;
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT activeChanged(active);
}
