#pragma once

#include <QObject>
#include <QString>

class QDBusConnection;

// Tells when the screen locks, the screen saver starts or the machine goes
// to sleep, and when that ends. It listens on the session bus for the
// freedesktop, KDE, GNOME and Xfce screen-saver signals (from any sender,
// whatever its name), and on the system bus for logind's lock and unlock of
// this session and its word before sleep. A bus that cannot be reached
// tells nothing.
class ScreenSaverWatch : public QObject {
    Q_OBJECT

public:
    // The session's own buses, and the logind session of $XDG_SESSION_ID.
    explicit ScreenSaverWatch(QObject* parent = nullptr);
    ScreenSaverWatch(const QDBusConnection& sessionBus, const QDBusConnection& systemBus,
                     const QString& sessionId, QObject* parent = nullptr);

    // Whether any bus could be reached and the signals subscribed.
    bool isWatching() const { return m_watching; }
    bool isActive() const { return m_active; }

    // logind's object path of session `id` (its characters escaped as
    // logind escapes them).
    static QString sessionPath(const QString& id);

Q_SIGNALS:
    void activeChanged(bool active);

private Q_SLOTS:
    // QtDBus delivers a bus signal only to a named slot.
    void onActiveChanged(bool active);
    void onLock();
    void onUnlock();
    void onPrepareForSleep(bool sleeping);

private:
    void watchSession(QDBusConnection bus);
    void watchSystem(QDBusConnection bus, const QString& sessionId);
    void update();

    bool m_watching = false;
    bool m_screenSaver = false;
    bool m_locked = false;
    bool m_sleeping = false;
    bool m_active = false;
};
