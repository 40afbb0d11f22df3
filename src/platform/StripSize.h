#pragma once

// The caption strip's full height in twips. The windows that open on the
// strip's monitor keep below it.
namespace StripSize {

inline constexpr int kFullHeightTwips = 340;

} // namespace StripSize
