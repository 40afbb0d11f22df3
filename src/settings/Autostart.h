#pragma once

#include <QString>

struct PlaybackState;

// The per-user entry that starts the tutor at log-on, named "Italian".
// One backend per platform: an XDG autostart file on Linux, the HKCU Run
// value on Windows.
namespace Autostart {

// Writes (or rewrites) the entry so that it starts `programPath`.
bool enable(const QString& programPath);
// Removes the entry; removing an entry that does not exist succeeds.
bool disable();
// Whether the entry exists now (for tests and diagnostics).
bool isEnabled();
// Where the entry lives: a file path, or the registry path on Windows.
QString location();

// Follows the learner's choice: adds the entry for 1, removes it for 0, and
// leaves it alone for any other stored value. `programPath` is the running
// program's full path (QCoreApplication::applicationFilePath()). Returns
// what went wrong, for the learner; empty when all went well.
QString apply(const PlaybackState& state, const QString& programPath);

} // namespace Autostart
