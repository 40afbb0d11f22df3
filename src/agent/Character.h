#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// What the tutor asks of the desktop character. Every call returns at once:
// speech and animations run on their own, and failures are swallowed.
class Character {
public:
    virtual ~Character() = default;

    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Reads `text` aloud exactly as given, replacing any speech in progress.
    virtual void Speak(const QString& text) = 0;
    // Speak() for a line the engine would misread as written: the word
    // balloon shows `text` while the voice reads `spoken`, the same words
    // respelled. A character that cannot tell them apart reads `text`.
    virtual void SpeakAs(const QString& text, const QString& spoken)
    {
        static_cast<void>(spoken);
        Speak(text);
    }
    // Stops reading at once and takes the word balloon down.
    virtual void Stop() = 0;
    // Stop() for the way out: also waits, at most `timeoutMs`, until the
    // speech service has heard it, since the service would otherwise read
    // on after the tutor has gone. A character without a voice just stops.
    virtual void StopNow(int /*timeoutMs*/) { Stop(); }
    // Plays a named animation ("Wave"); unknown names are ignored.
    virtual void Play(const QString& animation) = 0;
    // Windows language identifier of the speech output (1040 = Italian).
    virtual void setLanguageID(int languageId) = 0;
    // Reading pace in words per minute (80 to 220, 150 a new learner's);
    // a change takes effect from the next sentence.
    virtual void setSpeechPace(int wordsPerMinute) = 0;

    // Places the character with its top-left corner near `screenPoint`,
    // kept inside the screen.
    virtual void MoveTo(const QPoint& screenPoint) = 0;
    // A part of the screen the word balloon must never cover (the strip);
    // empty for none.
    virtual void setKeepClear(const QRect& screenArea) = 0;
    // Brings the character above other windows (a second start asks for it).
    virtual void Raise() = 0;
};
