#pragma once

#include "ui/VersionWindow.h"

class Desktop;

// The start-up window. It shows while the strip is still hidden and goes
// when the welcome brings the strip up (unload()), or at once on a click.
class StartupSplash : public VersionWindow {
    Q_OBJECT

public:
    explicit StartupSplash(const Desktop& desktop);

    // Places the window a little above and left of the screen's centre and
    // shows it.
    void open();

Q_SIGNALS:
    // Clicked away: the strip should come up now.
    void dismissed();

protected:
    void pictureClicked() override;

private:
    const Desktop& m_desktop;
};
