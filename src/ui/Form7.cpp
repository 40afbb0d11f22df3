#include "ui/Form7.h"

#include "app/Desktop.h"
#include "app/Form1.h"
#include "app/StripPicture.h"

#include <QCloseEvent>

Form7::Form7(Form1& form1) : m_form1(form1)
{
    setObjectName(QStringLiteral("Form7"));
}

void Form7::Form_Load()
{
    setMenuPictureEnabled(false);
    const QRect screen = m_form1.desktop().screenGeometry();
    move(screen.x() + (screen.width() - width()) / 2,
         screen.y() + (screen.height() - height()) / 2);
}

void Form7::Image1_Click()
{
    unload();
}

// However the window goes (a click, or the window manager), the menu must
// not stay locked.
void Form7::closeEvent(QCloseEvent* event)
{
    VersionWindow::closeEvent(event);
    if (event->isAccepted())
        setMenuPictureEnabled(true);
}

void Form7::setMenuPictureEnabled(bool enabled)
{
    m_form1.Image1->setEnabled(enabled);
}
