#include "platform/ScreenLayoutWatch.h"

// Qt's screen signals tell everything here.
void ScreenLayoutWatch::watchPlatform() {}
