#include "settings/Autostart.h"

#include "settings/PlaybackState.h"
#include "settings/ProblemReport.h"

namespace Autostart {

QString apply(const PlaybackState& state, const QString& programPath)
{
    // Written afresh every time, so a program that has moved is registered
    // under its new place; "mark" is stored either way and the next close
    // tries again.
    bool done = true;
    switch (state.startWithLogon) {
    case 1:
        done = enable(programPath);
        break;
    case 0:
        done = disable();
        break;
    default:
        break;
    }
    if (done)
        return {};
    return QStringLiteral("Quorvel cannot %1 its start-at-log-on entry %2: %3.")
        .arg(state.startWithLogon == 1 ? QStringLiteral("write") : QStringLiteral("remove"),
             location(), FileProblems::whyNotWritable(location()));
}

} // namespace Autostart
