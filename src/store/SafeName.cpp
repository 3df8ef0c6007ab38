#include "SafeName.h"

#include "app/Services.h"

namespace SafeName {

bool IsSafeLocalName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // With no separator at all the name can be neither absolute nor climb
    // out of the folder; "\" counts too, since Windows clients write it.
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u == '/' || u == '\\' || u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

QString RefusalMessage(const QString& name)
{
    return name + QStringLiteral(" is not a valid local file name.");
}

bool AcceptLocalName(const QString& name)
{
    if (IsSafeLocalName(name))
        return true;
    MsgBox(RefusalMessage(name), vbCritical);
    return false;
}

} // namespace SafeName
