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
    using Factory =
        std::function<std::unique_ptr<Character>(const QString& id, const QString& location)>;

    explicit CharacterCollection(Factory factory);

    // Loads character `id`; false when no such character exists. Loading an
    // id again keeps the character already loaded.
    bool Load(const QString& id, const QString& location);
    // The loaded character, or nullptr when `id` was never loaded.
    Character* Item(const QString& id) const;
    // Every loaded character's StopNow(), all within `timeoutMs`.
    void StopAllNow(int timeoutMs) const;

private:
    Factory m_factory;
    QHash<QString, std::shared_ptr<Character>> m_loaded;
};
