#include "SafeName.h"

#include "app/Services.h"

namespace SafeName {
namespace {

// Skiff's own files in the local folder. Letter case is ignored: on a
// member's Windows-era disk, or a folder shared with one, the names meet.
bool IsSkiffsOwnFile(const QString& name)
{
    const QString lower = name.toLower();
    return lower == QLatin1String("_files.txt") || lower == QLatin1String("_hidden.txt") ||
           lower == QLatin1String("_files.dat") || lower.endsWith(QLatin1String(".backup"));
}

} // namespace

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
    return !IsSkiffsOwnFile(name);
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
