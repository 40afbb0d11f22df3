#pragma once

#include <QWidget>

class QLabel;

// A borderless 210x280 window titled "Version" that shows the version
// picture; a click anywhere on it is a click on the picture (Image1_Click).
class VersionWindow : public QWidget {
    Q_OBJECT

public:
    explicit VersionWindow(QWidget* parent = nullptr);

    virtual void Image1_Click() = 0;

    QLabel* const Image1;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
