#pragma once

#include <QObject>

// Tells when the screen locks or the screen saver starts, and when that
// ends, from the session bus: any service that emits the freedesktop (or
// GNOME) screen-saver signal counts, whatever its name. Without a session
// bus it reports nothing.
class ScreenSaverWatch : public QObject {
    Q_OBJECT

public:
    explicit ScreenSaverWatch(QObject* parent = nullptr);

    // Whether the session bus could be reached and the signals subscribed.
    bool isWatching() const { return m_watching; }
    bool isActive() const { return m_active; }

Q_SIGNALS:
    void activeChanged(bool active);

private Q_SLOTS:
    // QtDBus delivers a bus signal only to a named slot.
    void onActiveChanged(bool active);

private:
    bool m_watching = false;
    bool m_active = false;
};
