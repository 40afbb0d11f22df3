#include "platform/FullScreenWatch.h"

// No window manager to ask here: nothing is ever reported.
class FullScreenWatch::Backend {};

FullScreenWatch::FullScreenWatch(std::function<QRect()> monitor, QObject* parent)
    : QObject(parent), m_monitor(std::move(monitor))
{
}

FullScreenWatch::~FullScreenWatch() = default;

bool FullScreenWatch::isWatching() const
{
    return false;
}

void FullScreenWatch::report(bool fullScreen)
{
    m_fullScreen = fullScreen;
}
