#pragma once

#include <QObject>
#include <QTimer>

class QScreen;

// Says that the monitors, or the room panels leave on them, have changed: a
// monitor plugged in or unplugged, another primary one, a panel that
// appears, moves or goes. Such changes come in bursts (unplugging a monitor
// moves the others one by one), so it speaks once the burst has settled.
// Besides Qt's own screen signals the X11 backend hears the window manager's
// work area, which Qt does not follow once there are several monitors.
class ScreenLayoutWatch : public QObject {
    Q_OBJECT

public:
    explicit ScreenLayoutWatch(QObject* parent = nullptr);

Q_SIGNALS:
    void changed();

private:
    void watch(const QScreen* screen);
    void noteChange();
    // The platform's own reports, from a helper this object owns.
    void watchPlatform();

    QTimer m_settle;
};
