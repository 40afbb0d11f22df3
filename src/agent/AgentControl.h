#pragma once

#include "agent/CharacterCollection.h"

#include <QString>
#include <memory>

// The invisible control `Agent1` that hosts the desktop characters.
class AgentControl {
public:
    // The built-in characters: "Peedy", with an empty location, is the parrot.
    AgentControl();
    // Tests give their own factory to record what the tutor asks.
    explicit AgentControl(CharacterCollection::Factory factory);

    // How long leaving the program waits for the speech service to stop
    // reading; one that does not answer is left behind after that.
    static constexpr int kExitStopMs = 250;

    CharacterCollection& Characters() { return m_characters; }
    // Silences every character before the program ends, waiting at most
    // kExitStopMs: the speech service would read the sentence to its end.
    void stopForExit() { m_characters.StopAllNow(kExitStopMs); }

    // "Peedy" from the empty location is our parrot; there are no character
    // files, so any other id or location gives nullptr.
    static std::unique_ptr<Character> builtIn(const QString& id, const QString& location);

private:
    CharacterCollection m_characters;
};
