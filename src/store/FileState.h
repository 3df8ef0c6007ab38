#pragma once
// How a shared file stands for the signed-in member. Derived each time the
// list is built, never stored; the state's key also names the row's picture.

#include <QString>

enum class FileState
{
    Open,
    Old,
    New,
    Locked,
    Unlocked
};

// The first rule that applies wins: held by the member ("open", even when out
// of date); out of date with a local copy ("old") or without one ("new"),
// even when somebody else holds it; held by somebody else ("locked");
// otherwise "unlocked". The holder is compared without regard to letter case.
FileState GetFileState(const QString& holder, short serverVersion, short localVersion,
                       const QString& currentUser);

// "open", "old", "new", "locked" or "unlocked".
QString FileStateKey(FileState state);
