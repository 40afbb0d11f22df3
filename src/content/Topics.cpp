#include "content/Topics.h"

#include <array>

namespace Topics {

namespace {

constexpr std::array<const char*, kCount> kCaptions = {
    "Entire",
    "Introducing yourself and your family",
    "Saying what you do for a living",
    "Asking for directions",
    "Booking and checking in at a hotel",
    "Buying food and clothes",
    "Buying train tickets",
    "Ordering a meal one",
    "Ordering a meal two",
    "Ordering drinks",
    "Sport and leisure",
};

} // namespace

QString caption(int index)
{
    if (index < 0 || index >= kCount)
        return {};
    return QString::fromLatin1(kCaptions[static_cast<std::size_t>(index)]);
}

} // namespace Topics
