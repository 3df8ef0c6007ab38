#include "CloseAfterOperation.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace {
// Set on the window while an operation runs in it.
const char* const kOperationRunning = "skiffOperationRunning";
} // namespace

CloseAfterOperation::CloseAfterOperation(QWidget& window)
    : m_window(window), m_outermost(!window.property(kOperationRunning).toBool())
{
    if (!m_outermost)
        return;
    window.setProperty(kOperationRunning, true);
    window.installEventFilter(this);
}

CloseAfterOperation::~CloseAfterOperation()
{
    if (!m_outermost)
        return;
    m_window.removeEventFilter(this);
    m_window.setProperty(kOperationRunning, false);
    if (m_closeRequested)
        m_window.close();
}

bool CloseAfterOperation::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || event->type() != QEvent::Close)
        return false;
    m_closeRequested = true;
    event->ignore();
    return true;
}
