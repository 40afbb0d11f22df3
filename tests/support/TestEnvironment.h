#pragma once

#include <QTemporaryDir>

// Points XDG_CONFIG_HOME (and so the settings file and the autostart folder)
// at a fresh temporary folder for the lifetime of the object, and works in
// that folder: built with the Qt-only backends on Linux, the registry's Run
// key is a file of that name in the working folder.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString configHome() const { return m_dir.path(); }
    QString settingsFile() const; // $XDG_CONFIG_HOME/Brix.conf

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    QString m_previousFolder;
};
