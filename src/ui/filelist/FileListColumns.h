#pragma once
// The columns of the shared files list, by key, for every window that reads
// it (the extracts, the file details dialog, the add window). Careful: the
// list's "Owner" is the record's author, while the member who has the file
// checked out is in the column keyed "owner".

#include "store/SharedFiles.h"

#include <QMetaType>
#include <QString>
#include <functional>

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
// Writes a record and the member's version into a row's cells; the row
// keeps them too, as the file it lists.
void ShowRecord(ListItem& row, const FileRecord& record, short localVersion);
// Changes the record a row lists, cells and all.
void ChangeRecord(ListItem& row, const std::function<void(FileRecord&)>& change);
// Shows the details an administrator stored by hand, as the store kept them;
// a server version no record can hold stays as typed in its cell while the
// row keeps the version it had.
void ShowEdit(ListItem& row, const FileDetailsEdit& stored);
// The file a row lists, as it was built, never read back from the cells'
// text; a row that lists none gives an empty file.
ListedFile ListedFileOf(const ListItem& row);

} // namespace FileListColumns

Q_DECLARE_METATYPE(ListedFile)
