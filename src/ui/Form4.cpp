#include "ui/Form4.h"

#include "app/Form1.h"

namespace {

// The countdown value at which Timer1 would have shown the strip by itself.
constexpr qint16 kCountdownAtStripShown = 50;

} // namespace

Form4::Form4(Form1& form1) : m_form1(form1)
{
    setObjectName(QStringLiteral("Form4"));
}

void Form4::Image1_Click()
{
    m_form1.setVisible(true);
    unload();
    m_form1.state().gintCountdown = kCountdownAtStripShown;
}
