#pragma once

// Qt 6.4's AT-SPI bridge reads a second argument that a Properties.GetAll
// call does not have, and crashes, whichever accessible object a screen
// reader or an inspector asks. Installed, the guard gives such a call an
// empty property name before it reaches the bridge, which then answers it
// with an error; a Get of each property works as before.
namespace AtSpiGuard {

void install();

} // namespace AtSpiGuard
