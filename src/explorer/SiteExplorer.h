#pragma once
// The web site explorer without its window: what the member may see and
// change, folder listings and their cache, and the file operations on one
// folder of the site (the folder's tree key K, a file's site path K + name).
// The explorer window drives it: selection in, one call per file, rows
// refreshed from the result. Every transfer runs on the window's component.
//
// Messages for refused names and failed transfers are shown here through
// the message facade; a run-time error (a local file that cannot be copied
// or deleted, a refused path) is thrown as SkiffError for the window's
// handler to show.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Inet;

class SiteExplorer
{
public:
    explicit SiteExplorer(Inet& inet);

    // The member sees the server's real folders and may add, create and
    // delete files everywhere.
    bool FullAccess = false;
    // The member's web access list as cleaned on opening; "" for full access
    // by level.
    QString WebAccess;
    // The text of the component's last completed response.
    QString ListingText;

    // Decides access: administrators (level 4) get full access without a
    // list; everybody else's list is downloaded ("*full access*" as its whole
    // text gives full access too). Entries that would leave the site are
    // named in one message and otherwise ignored.
    void PrepareAccess();

    // The component's state changes: an error cancels what it runs; a
    // completed response becomes ListingText, read in chunks of 1024.
    void ReadResponse(int state);
    // The folder entries of a site path ("LS " + the site's FTP folder + path).
    QString GetFolderListing(const QString& path);

    struct FolderContents
    {
        QStringList folders; // names of subfolders (without "/")
        QStringList files;
        bool addFiles = false;    // "Add File(s) to Server" and "New File"
        bool deleteFiles = false; // "Delete File(s) from Server"
    };
    // What the folder with this tree key shows. With full access the
    // folder's cached listing (nodeTag) is used, and fetched from the server
    // while it is empty; an empty or failed listing caches nothing.
    FolderContents ListFolder(const QString& nodeKey, QString& nodeTag, const QString& nickname);

    // One file of the shown folder deleted on the server; the cached listing
    // or the member's access list follows. False when the delete failed.
    bool DeleteFromServer(const QString& key, const QString& name, QString& nodeTag);
    // A name registered in the folder, nothing created anywhere; false (after
    // a message) for a refused name or one the server already lists there.
    bool RegisterNewFile(const QString& key, const QString& name, QString& nodeTag);
    // A local file added to the folder under its own name: copied into the
    // mirror, uploaded, and listed. False (after a message) when it was
    // refused or did not arrive.
    bool AddToServer(const QString& key, const QString& localFile, QString& nodeTag);
    // The server file K + name replaced by the local file's content; the
    // server name stays whatever the local file is called.
    bool ReplaceOnServer(const QString& key, const QString& name, const QString& localFile);
    // The mirror copy of K + name deleted (a missing copy is no error).
    static void DeleteLocalCopy(const QString& key, const QString& name);

    // The batches the member confirms before they start, and what they are
    // told: when nothing is selected, and the question for count files.
    enum class Batch { Download, Upload, DeleteLocal, DeleteFromServer };
    static QString NothingSelectedText(Batch batch);
    static QString ConfirmationText(Batch batch, int count);

    // "file" when the mirror holds a copy of K + name, else "filenotfound".
    static QString MirrorIcon(const QString& key, const QString& name);
    // The mirror copy's full path when it exists, else "".
    static QString ExistingMirrorCopy(const QString& key, const QString& name);

    // The tree's folder rule: a node for parentKey + folder below the node
    // parentKey, unless the folder begins with "." or would leave the site,
    // the node exists or the parent does not. hasNode answers for a key
    // without regard to letter case.
    struct FolderNode
    {
        QString key;
        QString text;
    };
    static std::optional<FolderNode> NewFolderNode(const QString& parentKey, QString folder,
                                                   const std::function<bool(const QString&)>& hasNode);

private:
    bool IsListedOnServer(const QString& key, const QString& name);
    // Refuses a name with blanks, and one that is not a plain file name.
    static bool AcceptNewName(const QString& key, const QString& name);
    // The cached listing or the access list after a file was added.
    void RecordNewFile(const QString& key, const QString& name, QString& nodeTag);
    // Makes the change to the member's access list as the server holds it
    // now, under the change lock (the list read when the explorer opened
    // may have been cut, or changed since by an administrator), then writes
    // it into the mirror and up to the server. A server copy that is no
    // access list (a web page) is refused with SkiffError and left as it is.
    void SaveWebAccess(const std::function<QString(const QString& list)>& change);

    Inet& m_inet;
};
