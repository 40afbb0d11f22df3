#include "settings/Autostart.h"

#include "settings/PlaybackState.h"

namespace Autostart {

QString apply(const PlaybackState& state, const QString& programPath)
{
    // Written afresh every time, so a program that has moved is registered
    // under its new place; "mark" is stored either way and the next close
    // tries again.
    QString problem;
    switch (state.startWithLogon) {
    case 1:
        // A desktop entry is UTF-8 text: a path that is not cannot be named in it.
        problem = programPath.isEmpty() || programPath.contains(QChar::ReplacementCharacter)
                      ? QStringLiteral("the program's path is not UTF-8 text, which the entry "
                                       "cannot hold; move Quorvel to a folder with a plain name")
                      : enable(programPath);
        break;
    case 0:
        problem = disable();
        break;
    default:
        break;
    }
    if (problem.isEmpty())
        return {};
    return QStringLiteral("Quorvel cannot %1 its start-at-log-on entry %2: %3.")
        .arg(state.startWithLogon == 1 ? QStringLiteral("write") : QStringLiteral("remove"),
             location(), problem);
}

} // namespace Autostart
