#include "platform/ScreenLayoutWatch.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Long enough for xrandr's burst, short enough that the strip follows a
// panel before a person looks for it.
constexpr int kSettleMs = 150;

} // namespace

ScreenLayoutWatch::ScreenLayoutWatch(QObject* parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ScreenLayoutWatch::changed);
    if (!qGuiApp)
        return;
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](const QScreen* screen) {
        watch(screen);
        noteChange();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScreenLayoutWatch::noteChange);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &ScreenLayoutWatch::noteChange);
    for (const QScreen* screen : QGuiApplication::screens())
        watch(screen);
    watchPlatform();
}

void ScreenLayoutWatch::watch(const QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &ScreenLayoutWatch::noteChange);
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenLayoutWatch::noteChange);
}

void ScreenLayoutWatch::noteChange()
{
    m_settle.start();
}
