#include "SplitterBar.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget* parent) : QFrame(parent)
{
    setCursor(Qt::SplitHCursor);
    setFrameShape(QFrame::StyledPanel);
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    m_dragging = event->button() == Qt::LeftButton;
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton)
        emit dropped(event->globalPosition().toPoint());
    m_dragging = false;
}
