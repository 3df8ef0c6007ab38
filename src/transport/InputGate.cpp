#include "InputGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

namespace {

const char kOpenDuringTransfers[] = "skiffOpenDuringTransfers";

bool isMemberInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// Whether input from the window system for this receiver passes the gate.
bool passes(const QObject* receiver, const QEvent* event)
{
    // Only what the member does to a window counts; the program's own
    // events, and those of the window system's windows (which hand them on
    // to their controls), pass.
    if (!event->spontaneous() || !receiver->isWidgetType() || !isMemberInput(event->type()))
        return true;
    for (const QObject* at = receiver; at; at = at->parent()) {
        if (at->property(kOpenDuringTransfers).toBool())
            return true;
    }
    return false;
}

} // namespace

InputGate::InputGate()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

InputGate::~InputGate()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

void InputGate::KeepOpen(QObject* control)
{
    control->setProperty(kOpenDuringTransfers, true);
}

bool InputGate::eventFilter(QObject* receiver, QEvent* event)
{
    if (passes(receiver, event))
        return false;
    // A refused close keeps the window open; refused input is used up
    // here, so it does not travel on to the control's parents.
    event->setAccepted(event->type() != QEvent::Close);
    return true;
}
