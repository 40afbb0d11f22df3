#pragma once

#include <QWidget>

class VersionPicture;

// A borderless 210x280 window titled "Version" that shows the version
// picture; a click anywhere on it is a click on the picture.
class VersionWindow : public QWidget {
    Q_OBJECT

public:
    explicit VersionWindow(QWidget* parent = nullptr);

    // Closes the window and deletes it once control is back in the event loop.
    void unload();

    VersionPicture* picture() const { return m_picture; }

protected:
    virtual void pictureClicked() = 0;
    void mousePressEvent(QMouseEvent* event) override;

private:
    VersionPicture* const m_picture; // Image1
};
