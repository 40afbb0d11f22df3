#include "agent/CharacterCollection.h"

#include <QDeadlineTimer>

CharacterCollection::CharacterCollection(Factory factory) : m_factory(std::move(factory)) {}

bool CharacterCollection::Load(const QString& id, const QString& location)
{
    if (m_loaded.contains(id))
        return true;
    if (!m_factory)
        return false;
    std::unique_ptr<Character> character = m_factory(id, location);
    if (!character)
        return false;
    m_loaded.insert(id, std::shared_ptr<Character>(std::move(character)));
    return true;
}

Character* CharacterCollection::Item(const QString& id) const
{
    const auto found = m_loaded.constFind(id);
    return found == m_loaded.constEnd() ? nullptr : found->get();
}

void CharacterCollection::StopAllNow(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    for (const std::shared_ptr<Character>& character : m_loaded)
        character->StopNow(int(deadline.remainingTime()));
}
