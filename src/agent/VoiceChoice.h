#pragma once

#include <QList>
#include <QLocale>
#include <optional>

// Picks the speech locale for a Windows language identifier (1040 = Italian)
// from the locales an engine offers. Speaking a text with a voice of another
// language would be worse than silence, so there is no fallback across
// languages.
class VoiceChoice {
public:
    // The locale the identifier names (1040 -> it_IT), or nullopt when unknown.
    static std::optional<QLocale> localeForLanguageId(int languageId);

    // The exact locale when offered, else the first offered locale of the
    // same language, else nullopt (stay silent).
    static std::optional<QLocale> choose(int languageId, const QList<QLocale>& available);
};
