#include "settings/Autostart.h"

#include "settings/PlaybackState.h"

namespace Autostart {

void apply(const PlaybackState& state, const QString& programPath)
{
    // Written afresh every time, so a program that has moved is registered
    // under its new place. The result is not reported: "mark" is stored
    // either way and the next close tries again.
    switch (state.startWithLogon) {
    case 1:
        enable(programPath);
        break;
    case 0:
        disable();
        break;
    default:
        break;
    }
}

} // namespace Autostart
