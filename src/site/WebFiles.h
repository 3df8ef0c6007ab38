#pragma once
// The web-site operations of the main module. A relative name is a path
// below the web site's folder with "/" or "\" between folders. Every
// operation returns false after showing its own message when it fails.


#include <QString>

class FtpLink;
class Inet;

namespace modSkiff {

// The marker that makes DownloadWebFile save into the local mirror.
inline const QString kSaveToFile = QStringLiteral("[savetofile]");

struct WebFileNames
{
    QString localFile;   // "WebPage/" + folders + name, relative to the working directory
    QString remoteFile;  // "/users/tarnwardens/" + folders + name
    QString address;     // HTTP base + folders + name, each percent-encoded
};

// Site paths come from access lists, listings and news lists on the server,
// which anybody holding the FTP account can write. A path is safe when it
// stays inside the site (and so its mirror copy inside "WebPage"): not
// empty, no empty, "." or ".." folder or file name between its separators
// ("/" or "\"), no control characters.
bool IsSafeSitePath(const QString& relativeName);
// The message an operation shows when it refuses such a path.
QString UnsafeSitePathMessage(const QString& relativeName);

// The name mapping shared by the three operations; with createFolders the
// local folders are made on the way (an existing folder is no error).
// Throws SkiffError with UnsafeSitePathMessage for an unsafe path, before
// anything is made.
WebFileNames MapWebFileName(const QString& relativeName, bool createFolders = false);

// Uploads a mirror file with SendWithServerBackup; false after saying why
// when the new copy did not arrive.
bool UploadWebFile(Inet& inet, const QString& relativeName);

// Why an upload with a server backup did not arrive.
struct SendFailure
{
    QString why;               // the send's failure: the server's reply or the lost connection
    bool previousBack = false; // the server's previous copy is back under its name
};
// Uploads a local file so that the server keeps its previous copy under the
// remote name followed by ".backup" and the name never holds a partial
// copy: "send" the new copy under a temporary name (UploadName), verified
// by the transport (the server's size of it must be the bytes sent); then
// "delete" the old backup (whether there was one does not matter),
// "rename" the file to it and "rename" the new copy into place. A server
// that refuses that last rename gets the new copy sent under the real name.
// When the new copy did not arrive, the previous copy is put back
// (RestoreServerBackup), so the server is not left without the file; the
// result says whether the new copy arrived, failure why not.
bool SendWithServerBackup(FtpLink& link, const QString& localFile, const QString& remoteFile,
                          SendFailure* failure = nullptr);
bool SendWithServerBackup(Inet& inet, const QString& localFile, const QString& remoteFile,
                          SendFailure* failure = nullptr);
// The same for a file new on the server, which has no previous copy to
// keep: "send" under a temporary name, "rename" into place.
bool SendNewFile(FtpLink& link, const QString& localFile, const QString& remoteFile,
                 SendFailure* failure = nullptr);
// Readers of a file that an upload may be renaming into place this very
// moment (the name is missing between the two renames) try once more when
// it is missing: over FTP a "get"/"GET" the server refused, over HTTP a 404
// or 410. A lost connection is not tried again.
void GetRetryingOnce(FtpLink& link, const QString& command);
QByteArray FetchRetryingOnce(Inet& inet, const QString& address);
// Puts the server's ".backup" copy of a file back under its name, after a
// new copy that did not arrive. With clearFirst, whatever part of the new
// copy the server holds is deleted first, since not every server renames
// over an existing file; only for when the previous copy is known to be
// the backup. False when the backup could not be renamed.
bool RestoreServerBackup(FtpLink& link, const QString& remoteFile, bool clearFirst);
bool DownloadWebFile(Inet& inet, const QString& relativeName, QString& contents);
// The mirror mode for a file that may well be missing, such as a member's
// picture: nothing at all is shown when the download fails.
bool DownloadWebFileQuietly(Inet& inet, const QString& relativeName);
bool DeleteWebFile(Inet& inet, const QString& relativeName);

} // namespace modSkiff
