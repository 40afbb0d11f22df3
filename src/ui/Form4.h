#pragma once

#include "ui/VersionWindow.h"

class Form1;

// The start-up window. Form1 creates and places it; Timer1 removes it after
// 1.2 s (unload()), a click removes it at once.
class Form4 : public VersionWindow {
    Q_OBJECT

public:
    explicit Form4(Form1& form1);

    // Shows the strip, unloads this window and lets the welcome run on
    // from the point where the strip would have appeared anyway.
    void Image1_Click() override;

private:
    Form1& m_form1;
};
