#include "agent/AgentControl.h"

#include "agent/DesktopCharacter.h"

namespace {

const QString kParrotId = QStringLiteral("Peedy");

} // namespace

AgentControl::AgentControl() : m_characters(&AgentControl::builtIn) {}

AgentControl::AgentControl(CharacterCollection::Factory factory) : m_characters(std::move(factory))
{
}

std::unique_ptr<Character> AgentControl::builtIn(const QString& id, const QString& location)
{
    if (id != kParrotId || !location.isEmpty())
        return nullptr;
    return std::make_unique<DesktopCharacter>();
}
