#pragma once
// A shared file's copy in the local folder, addressed by its bare name (the
// working directory is the local folder).

#include <QString>

namespace LocalCopy {

// Whether a file (not a folder) of that name is in the local folder.
bool Exists(const QString& name);

// The member's copy as it was before a download took its name.
struct SetAside
{
    QString name;
    bool moved = false;    // the copy is now the name followed by ".backup"
    bool readOnly = false; // its read-only mark before it was moved
};

// Keeps the member's current copy as the one local backup generation, the
// name followed by ".backup", so that a download can take the name: an
// older backup is deleted and the copy renamed, each made writable first.
// Nothing happens without a local copy. Throws SkiffError ("Permission
// denied" when the old backup cannot go, "Path/File access error" when the
// copy cannot be renamed); the copy is still under its name then.
SetAside KeepBackup(const QString& name);

// Puts a copy that was set aside back under its name, read-only again if it
// was, for a download that did not arrive. False when it cannot be moved.
bool PutBack(const SetAside& copy);

} // namespace LocalCopy
