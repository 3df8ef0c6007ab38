#pragma once
// Shared file names come from the control file, which any member's client
// (or a damaged upload) may have written. Before a name is used as a local
// file name it must stay inside the local folder: a name with a folder
// separator, a "." or ".." name, or one with control characters is refused.

#include <QString>

namespace SafeName {

bool IsSafeLocalName(const QString& name);
// The message shown when an operation refuses such a name.
QString RefusalMessage(const QString& name);
// Whether an operation may use the name; shows the refusal when it may not,
// and the operation passes the file over.
bool AcceptLocalName(const QString& name);

} // namespace SafeName
