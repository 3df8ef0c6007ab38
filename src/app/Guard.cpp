#include "Guard.h"

#include "Errors.h"

#include <exception>

void RunGuarded(const std::function<void()>& entry, int style)
{
    try {
        entry();
    } catch (const SkiffError& error) {
        if (style != kErrorsIgnored)
            MsgBox(error.description(), style);
    } catch (const std::exception& error) {
        // Not one of the program's own errors (out of memory and the like):
        // still a message, and the member may go on or save their work.
        if (style != kErrorsIgnored)
            MsgBox(QString::fromLocal8Bit(error.what()), style);
    }
}

void ShowCommunicationsError(const SkiffError& error, const QString& advice)
{
    MsgBox(QStringLiteral("*** communications error ***\r\n") + QString::number(error.number()) +
               QStringLiteral(": ") + error.description() + QStringLiteral("\r\n\r\n") + advice,
           vbOKOnly);
}
