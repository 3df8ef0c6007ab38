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

bool UploadWebFile(Inet& inet, const QString& relativeName);
// Uploads a local file so that the server keeps its previous copy under the
// remote name followed by ".backup": "delete" the old backup (whether there
// was one does not matter), "rename" the file to it, "send" the new copy.
// When the send fails the previous copy is renamed back, so the server is
// never left without the file; the result says whether the new copy arrived.
bool SendWithServerBackup(FtpLink& link, const QString& localFile, const QString& remoteFile);
bool SendWithServerBackup(Inet& inet, const QString& localFile, const QString& remoteFile);
bool DownloadWebFile(Inet& inet, const QString& relativeName, QString& contents);
bool DeleteWebFile(Inet& inet, const QString& relativeName);

} // namespace modSkiff
