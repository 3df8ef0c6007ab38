#include "LocalCopy.h"

#include "app/Errors.h"
#include "app/modSkiff.h"

#include <QFile>
#include <QFileInfo>

namespace LocalCopy {
namespace {

QString backupOf(const QString& name)
{
    return name + QStringLiteral(".backup");
}

} // namespace

bool Exists(const QString& name)
{
    return QFileInfo(name).isFile();
}

SetAside KeepBackup(const QString& name)
{
    SetAside copy;
    copy.name = name;
    if (!Exists(name))
        return copy;
    const QString backup = backupOf(name);
    if (QFileInfo::exists(backup)) {
        modSkiff::SetReadOnly(backup, false);
        if (!QFile::remove(backup))
            throw SkiffError(QStringLiteral("Permission denied"), 70);
    }
    copy.readOnly = modSkiff::IsReadOnly(name);
    modSkiff::SetReadOnly(name, false);
    if (!QFile::rename(name, backup)) {
        modSkiff::SetReadOnly(name, copy.readOnly, true);
        throw SkiffError(QStringLiteral("Path/File access error"), 75);
    }
    copy.moved = true;
    return copy;
}

bool PutBack(const SetAside& copy)
{
    if (!copy.moved)
        return true;
    // A failed download leaves nothing under the name (it is written beside
    // it and takes the name only once complete).
    if (!QFile::rename(backupOf(copy.name), copy.name))
        return false;
    if (copy.readOnly)
        modSkiff::SetReadOnly(copy.name, true, true);
    return true;
}

} // namespace LocalCopy
