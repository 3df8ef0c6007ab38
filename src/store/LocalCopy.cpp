#include "LocalCopy.h"

#include "app/Errors.h"
#include "app/modSkiff.h"

#include <QFile>
#include <QFileInfo>

namespace LocalCopy {

bool Exists(const QString& name)
{
    return QFileInfo(name).isFile();
}

void KeepBackup(const QString& name)
{
    if (!Exists(name))
        return;
    const QString backup = name + QStringLiteral(".backup");
    if (QFileInfo::exists(backup)) {
        modSkiff::SetReadOnly(backup, false);
        if (!QFile::remove(backup))
            throw SkiffError(QStringLiteral("Permission denied"), 70);
    }
    modSkiff::SetReadOnly(name, false);
    if (!QFile::rename(name, backup))
        throw SkiffError(QStringLiteral("Path/File access error"), 75);
}

} // namespace LocalCopy
