#pragma once
// A folder's entries as the explorer reads them: one name per line ended by
// CR LF, subfolders with "/" after the name, the folder itself and its
// parent left out. Names keep their bytes as the server sent them.

#include <QByteArray>

namespace FolderListing {

// From an MLSD reply ("type=file;size=1; name" lines).
QByteArray FromMlsd(const QByteArray& listing);
// From a LIST reply in Unix ("drwxr-xr-x 2 o g 0 Jan 1 2020 name") or DOS
// ("01-01-20 12:00PM <DIR> name") form. Lines in neither form are skipped.
QByteArray FromList(const QByteArray& listing);

} // namespace FolderListing
