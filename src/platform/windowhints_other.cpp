#include "platform/WindowHints.h"

namespace WindowHints {

// Qt::Tool windows stay out of the taskbar on Windows already.
void keepOffTaskbar(QWidget*) {}

} // namespace WindowHints
