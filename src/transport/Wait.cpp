#include "Wait.h"

#include "Inet.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace Wait {
namespace {

bool waitFor(Inet& inet, int milliseconds)
{
    if (!inet.StillExecuting())
        return true;
    QPointer<Inet> guard(&inet);
    QEventLoop loop;
    QObject::connect(&inet, &Inet::Idle, &loop, &QEventLoop::quit);
    QObject::connect(&inet, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer limit;
    if (milliseconds >= 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(milliseconds);
    }
    // A loop nested in the handler of a posted event (a queued call, a
    // message box's answer) only wakes for events posted after it began, so
    // a command that finished at once, its completion already waiting, would
    // never be heard of; hand over what the component has pending first.
    QCoreApplication::sendPostedEvents(&inet, QEvent::MetaCall);
    // The component may already have finished between the test above and
    // the connections; check again before sleeping.
    if (guard && inet.StillExecuting())
        loop.exec();
    return !guard || !guard->StillExecuting();
}

} // namespace

void UntilIdle(Inet& inet) { waitFor(inet, -1); }

void ExecuteAndWait(Inet& inet, const QString& command)
{
    inet.Execute(command);
    UntilIdle(inet);
}

bool UntilIdleAtMost(Inet& inet, int milliseconds) { return waitFor(inet, milliseconds); }

void Pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool QuitAtMost(Inet& inet, int milliseconds)
{
    inet.Execute(QStringLiteral("QUIT"));
    return waitFor(inet, milliseconds);
}

void DoEvents() { QCoreApplication::processEvents(); }

} // namespace Wait
