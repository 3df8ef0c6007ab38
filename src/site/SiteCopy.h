#pragma once
// The site's copy of a file that is about to be changed and sent back (the
// user file, a news page or template, an access list, a page in the editor).
// An HTTP answer of status 200 is not proof of the file: a proxy or a
// half-written upload gives a short body, and some hosts hide files from the
// web that FTP lists. So the body must agree with the server's own size of
// the file ("SIZE" over FTP), and a file HTTP does not have is looked for
// over FTP before it counts as missing.

#include <QByteArray>
#include <QString>
#include <optional>

class FtpLink;
class Inet;

namespace SiteCopy {

// remoteFile: the FTP path; address: the HTTP address of the same file;
// shownName: how messages name it.
struct Source
{
    QString remoteFile;
    QString address;
    QString shownName;
};

// A file of the web site by its relative name ("news/index.html").
Source ForSitePath(const QString& relativeName);

// The whole file, or none when neither HTTP nor FTP has it. Throws
// SkiffError naming the file and what is wrong: the server cannot be
// reached, answers with an error, or sent fewer or more bytes than the file
// holds.
std::optional<QByteArray> Fetch(Inet& inet, const Source& source);

// The file over FTP on a link that is logged in, or none when the server
// says it has no such file. Throws SkiffError for any other failure.
std::optional<QByteArray> FetchOverFtp(FtpLink& link, const Source& source);

// The server's size of the file, or none when it does not say (no SIZE
// command, no such file, a reply that holds no size). Throws SkiffError when
// the server was lost.
std::optional<qint64> ServerSize(FtpLink& link, const QString& remoteFile);

// The size a reply to "SIZE" names ("213 1234"), or none.
std::optional<qint64> ParseSizeReply(const QString& reply);

// Whether an FTP reply text refuses because the name is not there (450, 550).
bool MeansNoSuchFile(const QString& reply);

} // namespace SiteCopy
