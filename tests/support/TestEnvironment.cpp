#include "TestEnvironment.h"

TestEnvironment::TestEnvironment() : m_previous(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
}

TestEnvironment::~TestEnvironment()
{
    qputenv("XDG_CONFIG_HOME", m_previous);
}

QString TestEnvironment::settingsFile() const
{
    return m_dir.filePath(QStringLiteral("Brix.conf"));
}
