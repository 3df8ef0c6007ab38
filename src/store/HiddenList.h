#pragma once
// The member's own list of local files never to offer for adding to the
// store: "_hidden.txt" in the local folder, one file name per line in any
// letter case. It only ever grows; nothing rewrites or shortens it.
//
// Also the names the store keeps for itself, which are never offered either.

#include <QSet>
#include <QString>
#include <QStringList>

namespace HiddenList {

QString FileName(); // "_hidden.txt"

// Names starting with "_control", "_files" or "_hidden" or ending with
// "backup" (every ".backup" copy), letter case ignored.
bool IsReservedName(const QString& name);

// The hidden names in lower case. The file is created empty when it is
// missing; a folder where it cannot be created hides nothing. Throws
// SkiffError when the file is there but cannot be read.
QSet<QString> Names();

// Appends one line per name. Throws SkiffError when the file cannot be
// written; then none of the names is added.
void Append(const QStringList& names);

} // namespace HiddenList
