#pragma once

#include "settings/PlaybackState.h"

#include <QString>

namespace Module1 {

// Adds the start-at-log-on entry for 1, removes it for 0, and leaves it
// alone for any other value of gintStartWithWindows. `programPath` is the
// running program's full path (QCoreApplication::applicationFilePath()).
void Set_Start_With_Windows(const PlaybackState& state, const QString& programPath);

} // namespace Module1
