#include "ui/VersionWindow.h"

#include "ui/VersionPicture.h"

#include <QMouseEvent>

VersionWindow::VersionWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(new VersionPicture(this))
{
    setWindowTitle(QStringLiteral("Version"));
    setFixedSize(VersionPicture::kWidth, VersionPicture::kHeight);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->move(0, 0);
}

void VersionWindow::unload()
{
    close();
    deleteLater();
}

void VersionWindow::mousePressEvent(QMouseEvent* event)
{
    // The picture covers the whole window, so every press is on the picture.
    if (event->button() == Qt::LeftButton)
        pictureClicked();
}
