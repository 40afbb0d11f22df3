#include "ui/RaisingScrollBar.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

RaisingScrollBar::RaisingScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    // High values sit at the top, so the thumb (when there is room for one)
    // moves the way the arrows say.
    setInvertedAppearance(true);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractSlider::actionTriggered, this, &RaisingScrollBar::reverseStep);
}

// A plain vertical scroll bar lowers its value from the top arrow and from
// the track above the thumb; here those are the "more" controls. The slider
// position has been moved but not yet applied when actionTriggered arrives,
// so it can be redirected.
void RaisingScrollBar::reverseStep(int action)
{
    switch (action) {
    case SliderSingleStepSub:
        setSliderPosition(value() + singleStep());
        break;
    case SliderSingleStepAdd:
        setSliderPosition(value() - singleStep());
        break;
    case SliderPageStepSub:
        setSliderPosition(value() + pageStep());
        break;
    case SliderPageStepAdd:
        setSliderPosition(value() - pageStep());
        break;
    default:
        break;
    }
}

void RaisingScrollBar::wheelEvent(QWheelEvent* event)
{
    // Scroll bars scroll content down when the wheel turns towards the user;
    // an up/down control should count down instead.
    setInvertedControls(false);
    QScrollBar::wheelEvent(event);
    setInvertedControls(true);
}

// Styles draw no focus mark on a scroll bar, and this one is reached with
// Tab like any other control: a focus frame shows where the keys go.
void RaisingScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
