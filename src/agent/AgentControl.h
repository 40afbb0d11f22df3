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

    CharacterCollection& Characters() { return m_characters; }

    // "Peedy" from the empty location is our parrot; there are no character
    // files, so any other id or location gives nullptr.
    static std::unique_ptr<Character> builtIn(const QString& id, const QString& location);

private:
    CharacterCollection m_characters;
};
