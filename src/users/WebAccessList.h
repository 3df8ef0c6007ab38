#pragma once
// A member's web access list ("qxg/" + nickname + ".dat"): which files of
// which folders of the site the member sees, and where the member may add
// and delete files. Lines are separated by CR LF; each non-blank line is a
// site path ("news/index.html"), a folder followed by "*add files*" or
// "*delete files*", or, as the whole text, "*full access*".
//
// The list is a file on the server that anybody holding the FTP account can
// write, so an entry that would leave the site ("..", an absolute path) is
// never used: it shows no folder and no file.

#include <QList>
#include <QString>
#include <QStringList>

class Inet;

namespace WebAccessList {

inline const QString kFullAccess = QStringLiteral("*full access*");
inline const QString kAddFiles = QStringLiteral("*add files*");
inline const QString kDeleteFiles = QStringLiteral("*delete files*");

// The downloaded text as the explorer keeps it: an HTML page (anything with
// a "<", the server's answer for a missing list) counts as an empty list,
// and every "\" is read as "/".
QString Clean(const QString& downloaded);
// Exactly "*full access*": no line end, nothing else, letter case counting.
bool IsFullAccess(const QString& webAccess);

// The entries that cannot be used (leading out of the site), as written.
QStringList RefusedEntries(const QString& webAccess);

// One folder of the tree: added below the node with parentKey, folder
// ending with "/". In the order the tree is built: "images/" first, then the
// folders of each entry from the outside in, with the entry's letter case.
struct FolderStep
{
    QString parentKey;
    QString folder;
    bool operator==(const FolderStep& other) const
    {
        return parentKey == other.parentKey && folder == other.folder;
    }
};
QList<FolderStep> TreeFolders(const QString& webAccess);

// What one folder shows a restricted member: the files named for it (in
// lower case, in the list's order) and the rights given for it. The
// member's picture appears in "images/" once, whether the list names it or
// not.
struct FolderView
{
    QStringList files;
    bool addFiles = false;
    bool deleteFiles = false;
};
// nodeKey is the folder's tree key; the entries are matched against it in
// lower case.
FolderView ViewOf(const QString& webAccess, const QString& nodeKey, const QString& nickname);

// The list without the entries equal to sitePath (letter case ignored,
// since the explorer shows the entries in lower case), as uploaded after a
// delete: spaces trimmed from both ends, emptied lines dropped.
QString WithoutEntry(QString webAccess, const QString& sitePath);
// The list with sitePath added as its last line (no line end after it), as
// uploaded after a new or added file.
QString WithEntry(QString webAccess, const QString& sitePath);

// The site path under which the member's own list is written back: "qxg/",
// the nickname in lower case and ".dat".
QString SitePathOf(const QString& nickname);
// The site path of the list the explorer reads for the member: "qxg/", the
// nickname as spelled and ".dat" when the server has that file, else the
// lower-case path above (where the explorer also writes it back). One HTTP
// request on the component; an unreachable server gives the spelled path.
QString ReadPathOf(Inet& inet, const QString& nickname);

} // namespace WebAccessList
