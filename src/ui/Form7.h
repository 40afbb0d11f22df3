#pragma once

#include "ui/VersionWindow.h"

class Form1;

// The About window. While it is open the popup menu cannot be opened.
class Form7 : public VersionWindow {
    Q_OBJECT

public:
    explicit Form7(Form1& form1);
    void Form_Load();
    void Image1_Click() override;

private:
    Form1& m_form1;
};
