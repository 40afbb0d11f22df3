#pragma once

#include <QString>

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

} // namespace Autostart
