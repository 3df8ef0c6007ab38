#include "FileState.h"

FileState GetFileState(const QString& holder, short serverVersion, short localVersion,
                       const QString& currentUser)
{
    if (holder.toLower() == currentUser.toLower())
        return FileState::Open;
    if (localVersion != serverVersion)
        return localVersion != 0 ? FileState::Old : FileState::New;
    if (!holder.isEmpty())
        return FileState::Locked;
    return FileState::Unlocked;
}

QString FileStateKey(FileState state)
{
    switch (state) {
    case FileState::Open:
        return QStringLiteral("open");
    case FileState::Old:
        return QStringLiteral("old");
    case FileState::New:
        return QStringLiteral("new");
    case FileState::Locked:
        return QStringLiteral("locked");
    case FileState::Unlocked:
        break;
    }
    return QStringLiteral("unlocked");
}
