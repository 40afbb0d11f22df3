#pragma once

#include "settings/PlaybackState.h"

#include <QString>
#include <array>
#include <limits>
#include <optional>
#include <string_view>

// How the text of a key is held in memory.
enum class SettingKind {
    Integer,  // a 16-bit value of PlaybackState
    Marker,   // "xxx": text, empty until the first run has written the store
    LeftEdge, // "left": the strip's left edge in twips, single precision
};

// One stored key: where it lives in memory, what a new user starts with and
// which values are accepted when it is read back.
struct SettingKey {
    std::string_view name;
    SettingKind kind;
    qint16 PlaybackState::*member; // Integer keys only
    qint16 firstRun;               // Integer keys only
    qint16 minimum;                // Integer keys only
    qint16 maximum;                // Integer keys only
    bool savedByDialog;            // written by saveSettings
};

namespace SettingKeys {

constexpr qint16 kAnyMin = std::numeric_limits<qint16>::min();
constexpr qint16 kAnyMax = std::numeric_limits<qint16>::max();
constexpr char kFirstRunMarker[] = "1";
// "left" on the first run: half the screen width in twips, minus this.
constexpr double kFirstRunLeftInset = 2000.0;

// Every stored key, in the order the store is read and first written.
// "rd", "ce", "voice" and "sspeed" take any value: the program gives every value other
// than the usual ones a meaning of its own.
inline constexpr std::array<SettingKey, 16> kTable{{
    {"ce", SettingKind::Integer, &PlaybackState::languageOrder, 1, kAnyMin, kAnyMax, true},
    {"n", SettingKind::Integer, &PlaybackState::repeats, 2, 1, 12, true},
    {"ctime", SettingKind::Integer, &PlaybackState::englishTime, 3, 3, 15, true},
    {"etime", SettingKind::Integer, &PlaybackState::italianTime, 5, 5, 15, true},
    {"rd", SettingKind::Integer, &PlaybackState::playMode, 0, kAnyMin, kAnyMax, true},
    {"psave", SettingKind::Integer, &PlaybackState::saveSchedule, 1, 0, 1, true},
    {"ssave", SettingKind::Integer, &PlaybackState::saveSettings, 1, 0, 1, true},
    {"visi", SettingKind::Integer, &PlaybackState::autoHide, 0, 0, 1, true},
    {"voice", SettingKind::Integer, &PlaybackState::readAloud, 1, kAnyMin, kAnyMax, false},
    {"guage", SettingKind::Integer, &PlaybackState::topic, 1, 0, 10, true},
    // The scheduler mends a position outside the course itself.
    {"guagen", SettingKind::Integer, &PlaybackState::nextSentence, 11000, kAnyMin, kAnyMax, false},
    {"red", SettingKind::Integer, &PlaybackState::red, 0, kAnyMin, kAnyMax, true},
    {"mark", SettingKind::Integer, &PlaybackState::startWithLogon, 0, 0, 1, true},
    {"xxx", SettingKind::Marker, nullptr, 0, 0, 0, true},
    {"left", SettingKind::LeftEdge, nullptr, 0, 0, 0, false},
    // The parrot's reading pace in words per minute, kept as stored: the
    // parrot itself takes a pace beyond what it can manage as the nearest one
    // it can.
    {"sspeed", SettingKind::Integer, &PlaybackState::speed, 150, kAnyMin, kAnyMax, true},
}};

// The reading paces offered besides the first-run one, in words per minute.
constexpr qint16 kSlowerSpeed = 110;
constexpr qint16 kFasterSpeed = 190;

// The key named `name`; a name that is not in the table does not compile.
consteval const SettingKey& find(std::string_view name)
{
    for (const SettingKey& key : kTable) {
        if (key.name == name)
            return key;
    }
    throw "unknown setting key";
}

// The stored text of an integer key, or nothing when it is not plain decimal
// text within 16 bits and the key's range.
std::optional<qint16> parseInteger(const QString& text, const SettingKey& key);
// The stored text of "left", or nothing when it is not a finite number.
std::optional<float> parseLeft(const QString& text);
// "left" as the shortest text that reads back to the same single-precision
// number, with no decimal point for whole numbers and '.' whatever the locale.
QString formatLeft(float twips);
// "left" on the first run for a screen `screenWidthTwips` wide.
float firstRunLeft(double screenWidthTwips);

} // namespace SettingKeys
