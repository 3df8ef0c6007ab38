#pragma once
// Shared file names come from the control file, which any member's client
// (or a damaged upload) may have written. Before a name is used as a local
// file name it must stay inside the local folder and must not be one of the
// files Skiff keeps there for itself: a name with a folder separator, a "."
// or ".." name, one with control characters, the control file, the hidden
// list and the user file's working copy ("_files.txt", "_hidden.txt",
// "_files.dat") and every ".backup" copy (the one local backup generation of
// a shared file, and the control file's) are refused, in any letter case.

#include <QString>

namespace SafeName {

bool IsSafeLocalName(const QString& name);
// The message shown when an operation refuses such a name.
QString RefusalMessage(const QString& name);
// Whether an operation may use the name; shows the refusal when it may not,
// and the operation passes the file over.
bool AcceptLocalName(const QString& name);

} // namespace SafeName
