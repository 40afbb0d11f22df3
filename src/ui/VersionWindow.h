#pragma once

#include <QWidget>

class VersionPicture;

// A borderless 210x280 window titled "Version" that shows the version
// picture; a click anywhere on it is a click on the picture (Image1_Click).
class VersionWindow : public QWidget {
    Q_OBJECT

public:
    explicit VersionWindow(QWidget* parent = nullptr);

    virtual void Image1_Click() = 0;

    // Closes the window and deletes it once control is back in the event loop.
    void unload();

    VersionPicture* const Image1;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
