#pragma once
// The name an upload travels under before it is renamed into place, so that
// the real name never holds a partial file: "._skiff." + twelve random hex
// digits + "." + the file's name, in the file's own folder. The dot keeps it
// out of most servers' plain listings and web servers' answers; the random
// part keeps two members' uploads of one file apart. The explorer leaves
// such names out of its lists, and the control file never records them.

#include <QString>

namespace UploadName {

// A fresh temporary name for a remote path (with or without folders).
QString TemporaryFor(const QString& remotePath);
// Whether a file name (no folders) is such a temporary name.
bool IsTemporary(const QString& fileName);
// Whether temporary is the temporary name of remotePath (same folder).
bool IsTemporaryOf(const QString& temporary, const QString& remotePath);

} // namespace UploadName
