#include "settings/Module1.h"

#include "settings/Autostart.h"

namespace Module1 {

void Set_Start_With_Windows(const PlaybackState& state, const QString& programPath)
{
    // Written afresh every time, so a program that has moved is registered
    // under its new place. The result is not reported: "mark" is stored
    // either way and the next close tries again.
    switch (state.gintStartWithWindows) {
    case 1:
        Autostart::enable(programPath);
        break;
    case 0:
        Autostart::disable();
        break;
    default:
        break;
    }
}

} // namespace Module1
