#pragma once
// A folder's entries as the explorer reads them: one name per line ended by
// CR LF, subfolders with "/" after the name, the folder itself and its
// parent left out. Names keep their bytes as the server sent them.
//
// Whatever the server sends is untrusted: a name that could not be the name
// of one file of the listed folder (control characters, "\", "." or "..",
// a path that does not lead into the listed folder) is dropped, so no
// listing can make the explorer reach outside the site.

#include <QByteArray>
#include <QByteArrayList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace FolderListing {

// A listing says that a name is a symbolic link but not whether it leads to
// a folder; whoever can ask the server answers, for all the links of one
// listing at once, which of them are folders. Without an answer a link is
// shown as a file.
using FolderLinks = std::function<QSet<QByteArray>(const QByteArrayList& links)>;

// From an MLSD reply ("type=file;size=1; name" lines). listedPath is the
// path the listing was asked for; servers that answer with paths instead of
// names are understood when the path leads to it.
QByteArray FromMlsd(const QByteArray& listing, const QByteArray& listedPath = QByteArray(),
                    const FolderLinks& folderLinks = {});
// From a LIST reply in the forms of the common servers: Unix ls
// ("drwxr-xr-x 2 o g 0 Jan 1 2020 name", with times or years, ISO dates,
// with or without the group, symbolic links "name -> target") or DOS/IIS
// ("01-01-20 12:00PM <DIR> name"). Lines in neither form are skipped.
QByteArray FromList(const QByteArray& listing, const QByteArray& listedPath = QByteArray(),
                    const FolderLinks& folderLinks = {});

// A listing text read as the explorer reads it: lines separated by CR LF,
// blank lines (after trimming spaces) skipped, a line ending with "/" a
// subfolder (given here without the "/"), any other line a file. Names are
// used as they stand, untrimmed. Uploads under way (UploadName) are no
// entries.
struct Entries
{
    QStringList folders;
    QStringList files;
};
Entries ReadListingText(const QString& listingText);

} // namespace FolderListing
