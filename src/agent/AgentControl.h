#pragma once

#include "agent/Character.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

// The character collection of the agent control: load a character by id,
// then fetch it by the same id.
class CharacterCollection {
public:
    // Makes the character for an id, or nullptr when the id is unknown.
    using Factory = std::function<std::unique_ptr<Character>(const QString& id,
                                                             const QString& location)>;

    explicit CharacterCollection(Factory factory);

    // Loads character `id`; false when no such character exists.
    bool Load(const QString& id, const QString& location);
    // The loaded character, or nullptr when `id` was never loaded.
    Character* Item(const QString& id) const;

private:
    Factory m_factory;
    QHash<QString, std::shared_ptr<Character>> m_loaded;
};

// The invisible control `Agent1` that hosts the desktop characters.
class AgentControl {
public:
    // The built-in characters: "Peedy", with an empty location, is the parrot.
    AgentControl();
    // Tests give their own factory to record what the tutor asks.
    explicit AgentControl(CharacterCollection::Factory factory);

    CharacterCollection& Characters() { return m_characters; }

    static std::unique_ptr<Character> builtIn(const QString& id, const QString& location);

private:
    CharacterCollection m_characters;
};
