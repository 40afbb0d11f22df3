#include "TestEnvironment.h"

#include <QSettings>

TestEnvironment::TestEnvironment() : m_previous(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    // QSettings caches the config path per process; make it look again.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
}

TestEnvironment::~TestEnvironment()
{
    qputenv("XDG_CONFIG_HOME", m_previous);
}

QString TestEnvironment::settingsFile() const
{
    return m_dir.filePath(QStringLiteral("Brix.conf"));
}
