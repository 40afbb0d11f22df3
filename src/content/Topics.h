#pragma once

#include <QString>

// The eleven play-content choices: 0 is the whole course, 1..10 the topics.
namespace Topics {

inline constexpr int kCount = 11;

// Caption of choice `index` (0..10), as the Settings dialog shows it.
QString caption(int index);

} // namespace Topics
