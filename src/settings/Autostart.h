#pragma once

#include <QString>

struct PlaybackState;

// The per-user entry that starts the tutor at log-on, named "Italian".
// One backend per platform: an XDG autostart file on Linux, the HKCU Run
// value on Windows.
namespace Autostart {

// Writes (or rewrites) the entry so that it starts `programPath`. Returns
// why it could not, for the learner; empty when done. Another program's
// entry in its place is never written over.
QString enable(const QString& programPath);
// Removes the entry; an entry that does not exist, or one that is another
// program's, counts as removed. Returns why it could not; empty when done.
QString disable();
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
