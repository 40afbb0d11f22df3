#include "agent/VoiceChoice.h"

#include <algorithm>
#include <iterator>

namespace {

struct LanguageIdEntry {
    int id;
    QLocale::Language language;
    QLocale::Territory territory;
};

// The identifiers a tutor of this kind may ask for; others leave it silent.
constexpr LanguageIdEntry kLanguageIds[] = {
    {1040, QLocale::Italian, QLocale::Italy},
    {2064, QLocale::Italian, QLocale::Switzerland},
    {1033, QLocale::English, QLocale::UnitedStates},
    {2057, QLocale::English, QLocale::UnitedKingdom},
    {1031, QLocale::German, QLocale::Germany},
    {1036, QLocale::French, QLocale::France},
    {1034, QLocale::Spanish, QLocale::Spain},
    {3082, QLocale::Spanish, QLocale::Spain},
};

} // namespace

std::optional<QLocale> VoiceChoice::localeForLanguageId(int languageId)
{
    const auto* entry = std::find_if(std::begin(kLanguageIds), std::end(kLanguageIds),
                                     [languageId](const auto& e) { return e.id == languageId; });
    if (entry == std::end(kLanguageIds))
        return std::nullopt;
    return QLocale(entry->language, entry->territory);
}

std::optional<QLocale> VoiceChoice::choose(int languageId, const QList<QLocale>& available)
{
    const std::optional<QLocale> wanted = localeForLanguageId(languageId);
    if (!wanted)
        return std::nullopt;
    for (const QLocale& locale : available) {
        if (locale.language() == wanted->language() && locale.territory() == wanted->territory())
            return locale;
    }
    for (const QLocale& locale : available) {
        if (locale.language() == wanted->language())
            return locale;
    }
    return std::nullopt;
}
