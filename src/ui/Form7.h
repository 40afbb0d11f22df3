#pragma once

#include "ui/VersionWindow.h"

class Form1;

// The About window. While it is open the strip's menu picture is disabled,
// so the popup menu cannot be opened; playback goes on.
class Form7 : public VersionWindow {
    Q_OBJECT

public:
    explicit Form7(Form1& form1);

    // Disables the menu picture and centres the window on the screen.
    void Form_Load();
    // Unloads the window; closing it enables the menu picture again.
    void Image1_Click() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setMenuPictureEnabled(bool enabled);

    Form1& m_form1;
};
