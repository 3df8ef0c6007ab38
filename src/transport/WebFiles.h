#pragma once
// The web-site operations of the main module. A relative name is a path
// below the web site's folder with "/" or "\" between folders. Every
// operation returns false after showing its own message when it fails.

#include "app/SiteText.h"

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
    QString address;     // HTTP base + folders + name
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
// remote name followed by ".backup": "delete" the old backup (whether there
// was one does not matter), "rename" the file to it, "send" the new copy.
// The transport verifies the send (the server's size of the new file must
// be the bytes sent). When the new copy did not arrive, the previous copy
// is put back (RestoreServerBackup), so the server is not left without the
// file; the result says whether the new copy arrived, failure why not.
bool SendWithServerBackup(FtpLink& link, const QString& localFile, const QString& remoteFile,
                          SendFailure* failure = nullptr);
bool SendWithServerBackup(Inet& inet, const QString& localFile, const QString& remoteFile,
                          SendFailure* failure = nullptr);
// Puts the server's ".backup" copy of a file back under its name, after a
// new copy that did not arrive. With clearFirst, whatever part of the new
// copy the server holds is deleted first, since not every server renames
// over an existing file; only for when the previous copy is known to be
// the backup. False when the backup could not be renamed.
bool RestoreServerBackup(FtpLink& link, const QString& remoteFile, bool clearFirst);
bool DownloadWebFile(Inet& inet, const QString& relativeName, QString& contents);
// The text mode for a text that is changed and sent back: a page the server
// does not have is reported like every other failure (the plain text mode
// lets it pass quietly), and encoding receives the encoding the text came
// in, so that the changed text can be written back in it.
bool DownloadWebText(Inet& inet, const QString& relativeName, QString& contents,
                     SiteText::Encoding& encoding);
// The text mode of the internal editor: as DownloadWebText, except that a
// file the server does not have (HTTP 404 or 410) comes back as an empty
// UTF-8 text, so that a name registered with "New File" or a member's access
// list not written yet can be written from the editor.
bool DownloadEditableText(Inet& inet, const QString& relativeName, QString& contents,
                          SiteText::Encoding& encoding);
// The mirror mode for a file that may well be missing, such as a member's
// picture: nothing at all is shown when the download fails.
bool DownloadWebFileQuietly(Inet& inet, const QString& relativeName);
bool DeleteWebFile(Inet& inet, const QString& relativeName);

} // namespace modSkiff
