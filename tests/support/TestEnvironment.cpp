#include "TestEnvironment.h"

#include <QDir>

TestEnvironment::TestEnvironment()
    : m_previous(qgetenv("XDG_CONFIG_HOME")), m_previousFolder(QDir::currentPath())
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    QDir::setCurrent(m_dir.path());
}

TestEnvironment::~TestEnvironment()
{
    QDir::setCurrent(m_previousFolder);
    qputenv("XDG_CONFIG_HOME", m_previous);
}

QString TestEnvironment::settingsFile() const
{
    return m_dir.filePath(QStringLiteral("Brix.conf"));
}
