#include "strip/DragHandles.h"

#include <QEvent>
#include <QWidget>

DragHandles::DragHandles(Step down, Step move, Step up, QObject* parent)
    : QObject(parent), m_down(std::move(down)), m_move(std::move(move)), m_up(std::move(up))
{
}

void DragHandles::watch(QWidget* handle)
{
    handle->installEventFilter(this);
}

bool DragHandles::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a quick double click
        m_down();
        return true;
    case QEvent::MouseMove:
        m_move();
        return true;
    case QEvent::MouseButtonRelease:
        m_up();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
