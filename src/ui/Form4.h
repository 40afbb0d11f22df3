#pragma once

#include "ui/VersionWindow.h"

class Form1;

// The start-up window. Timer1 removes it after 1.2 s; a click removes it at once.
class Form4 : public VersionWindow {
    Q_OBJECT

public:
    explicit Form4(Form1& form1);
    void Image1_Click() override;

private:
    Form1& m_form1;
};
