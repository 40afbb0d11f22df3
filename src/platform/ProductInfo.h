#pragma once

// Who makes Quorvel and how to reach them; shown on the version picture and
// opened by the Website and E-mail commands.
namespace ProductInfo {

inline constexpr char kTitle[] = "Quorvel";
// QUORVEL_VERSION comes from the project version in CMake.
inline constexpr char kVersionText[] = "Quorvel V" QUORVEL_VERSION;
inline constexpr char kMaker[] = "Brix Software";
inline constexpr char kWebsite[] = "http://quorvel.example.org/";
inline constexpr char kEmailAddress[] = "support@quorvel.example.org";
// The program's icon, compiled in.
inline constexpr char kIconPath[] = ":/icons/quorvel.svg";

} // namespace ProductInfo
