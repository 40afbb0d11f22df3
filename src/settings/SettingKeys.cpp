#include "settings/SettingKeys.h"

#include <charconv>
#include <cmath>

namespace SettingKeys {

std::optional<qint16> parseInteger(const QString& text, const SettingKey& key)
{
    bool ok = false;
    // Base 10 only: "0x10" or "010" in a hand-edited file are not numbers
    // the program ever writes.
    const qint16 value = text.toShort(&ok, 10);
    if (!ok || value < key.minimum || value > key.maximum)
        return std::nullopt;
    return value;
}

std::optional<float> parseLeft(const QString& text)
{
    bool ok = false;
    // toFloat() reads the C locale's format, whatever the user's locale.
    const float value = text.toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatLeft(float twips)
{
    if (twips == 0.0f)
        twips = 0.0f; // no "-0"
    // Fixed notation, shortest round trip: 5680 -> "5680", 5687.5 -> "5687.5".
    // Large enough for the longest finite float in fixed notation.
    char text[128];
    const auto result = std::to_chars(text, text + sizeof text, twips, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(text, result.ptr - text);
}

float firstRunLeft(double screenWidthTwips)
{
    return static_cast<float>(screenWidthTwips / 2.0 - kFirstRunLeftInset);
}

} // namespace SettingKeys
