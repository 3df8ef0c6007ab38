#pragma once
// The columns of the shared files list, by key, for every window that reads
// it (the extracts, the file details dialog, the add window). Careful: the
// list's "Owner" is the record's author, while the member who has the file
// checked out is in the column keyed "owner".

#include "store/SharedFiles.h"

#include <QString>

class ListItem;
class ListView;

namespace FileListColumns {

inline const QString FileName = QStringLiteral("filename");     // "File Name"
inline const QString CheckedOut = QStringLiteral("owner");      // "Checked Out": the holder
inline const QString LastUpdatedBy = QStringLiteral("comment"); // "Last Updated By"
inline const QString Description = QStringLiteral("desc");      // "File Description"
inline const QString Owner = QStringLiteral("author");          // "Owner": the author
inline const QString LatestVersion = QStringLiteral("ver");     // "Latest Version"
inline const QString MyVersion = QStringLiteral("myver");       // "My Version"

// Creates the seven columns of the shared files list.
void AddColumns(ListView& list);
// Writes a record and the member's version into a row's cells.
void ShowRecord(ListItem& row, const FileRecord& record, short localVersion);
// The file a row shows, as the operations take it.
ListedFile ListedFileOf(const ListItem& row);

} // namespace FileListColumns
