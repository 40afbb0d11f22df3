#include "ui/AboutWindow.h"

#include "platform/Desktop.h"

#include <QCloseEvent>
#include <QKeyEvent>

AboutWindow::AboutWindow(const Desktop& desktop) : m_desktop(desktop)
{
    setObjectName(QStringLiteral("Form7"));
}

void AboutWindow::load()
{
    const QRect screen = m_desktop.screenGeometry();
    move(screen.x() + (screen.width() - width()) / 2,
         screen.y() + (screen.height() - height()) / 2);
    Q_EMIT opened();
}

void AboutWindow::pictureClicked()
{
    unload();
}

// However the window goes, the menu must not stay locked.
void AboutWindow::closeEvent(QCloseEvent* event)
{
    VersionWindow::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

// It opens on a click in the menu, so it may take the keys: Escape then
// closes it as a click does.
void AboutWindow::showEvent(QShowEvent* event)
{
    VersionWindow::showEvent(event);
    activateWindow();
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        unload();
    else
        VersionWindow::keyPressEvent(event);
}
