#pragma once
// A shared file's copy in the local folder, addressed by its bare name (the
// working directory is the local folder).

#include <QString>

namespace LocalCopy {

// Whether a file (not a folder) of that name is in the local folder.
bool Exists(const QString& name);

// Keeps the member's current copy as the one local backup generation, the
// name followed by ".backup", so that a download can take the name: an
// older backup is deleted and the copy renamed, each made writable first.
// Nothing happens without a local copy. Throws SkiffError ("Permission
// denied" when the old backup cannot go, "Path/File access error" when the
// copy cannot be renamed); the copy is still under its name then.
void KeepBackup(const QString& name);

} // namespace LocalCopy
