#pragma once

#include "ui/VersionWindow.h"

class Desktop;

// The About window. While it is open the strip's menu stays shut; playback
// goes on.
class AboutWindow : public VersionWindow {
    Q_OBJECT

public:
    explicit AboutWindow(const Desktop& desktop);

    // Centres the window on the screen and says it is open.
    void load();

Q_SIGNALS:
    void opened();
    // However it went: a click, or the window manager.
    void closed();

protected:
    void pictureClicked() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const Desktop& m_desktop;
};
