#include "SiteCopy.h"

#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "transport/SiteAccount.h"
#include "WebFiles.h"
#include "app/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace SiteCopy {
namespace {

int ReplyCode(const QString& reply)
{
    // The last reply line's code: a multi-line reply ends with "NNN text".
    static const QRegularExpression code(QStringLiteral("(?:^|\\n)\\s*(\\d{3})[ -][^\\n]*\\s*$"));
    const QRegularExpressionMatch match = code.match(reply.trimmed());
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void UseFtp(Inet& inet)
{
    UseSiteAccount(inet);
    inet.Protocol = icFTP;
}

} // namespace

Source ForSitePath(const QString& relativeName)
{
    const modSkiff::WebFileNames names = modSkiff::MapWebFileName(relativeName);
    return {names.remoteFile, names.address, relativeName};
}

bool MeansNoSuchFile(const QString& reply)
{
    const int code = ReplyCode(reply);
    return code == 450 || code == 550;
}

std::optional<qint64> ParseSizeReply(const QString& reply)
{
    static const QRegularExpression size(QStringLiteral("(?:^|\\n)\\s*213[ -]\\s*(\\d{1,18})\\s*(?:\\r?\\n|$)"));
    const QRegularExpressionMatch match = size.match(reply);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

std::optional<qint64> ServerSize(FtpLink& link, const QString& remoteFile)
{
    // Servers name a file's size in bytes only in binary mode; many refuse
    // SIZE in ASCII mode.
    link.Run(QStringLiteral("TYPE I"));
    if (link.Failed() && link.ConnectionLost())
        throw SkiffError(link.FailureText());
    link.Run(QStringLiteral("SIZE ") + remoteFile);
    if (link.Failed()) {
        if (link.ConnectionLost())
            throw SkiffError(link.FailureText());
        return std::nullopt;
    }
    return ParseSizeReply(link.Response());
}

std::optional<QByteArray> FetchOverFtp(FtpLink& link, const Source& source)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw SkiffError(QStringLiteral("Cannot make a temporary folder for ") + source.shownName);
    // The same file name on both sides keeps the command's two names apart.
    const QString local = folder.filePath(QFileInfo(source.remoteFile).fileName());
    link.Run(QStringLiteral("get ") + source.remoteFile + QLatin1Char(' ') + local);
    if (link.Failed()) {
        if (!link.ConnectionLost() && MeansNoSuchFile(link.FailureText()))
            return std::nullopt;
        throw SkiffError(source.shownName + QStringLiteral(" could not be downloaded: ") +
                         link.FailureText());
    }
    QFile file(local);
    if (!file.open(QIODevice::ReadOnly))
        throw SkiffError(QStringLiteral("Cannot read the downloaded copy of ") + source.shownName +
                         QStringLiteral(": ") + file.errorString());
    return file.readAll();
}

std::optional<QByteArray> Fetch(Inet& inet, const Source& source)
{
    UseSiteAccount(inet);
    inet.Protocol = icHTTP;
    const QByteArray body = inet.OpenURLBytes(source.address);
    const int status = inet.HttpStatus();
    if (status >= 400 && status != 404 && status != 410)
        throw SkiffError(source.shownName + QStringLiteral(" could not be downloaded: the server answered ") +
                         QString::number(status) + QLatin1Char('.'));
    UseFtp(inet);
    InetLink link(inet);
    // A host may hide from the web what FTP lists: that is no missing file.
    if (status >= 400)
        return FetchOverFtp(link, source);
    const std::optional<qint64> size = ServerSize(link, source.remoteFile);
    if (size && *size != body.size())
        throw SkiffError(source.shownName +
                         QStringLiteral(" came incomplete: the web server sent %1 bytes, the file "
                                        "holds %2. Nothing was changed; try again later.")
                             .arg(body.size())
                             .arg(*size));
    return body;
}

} // namespace SiteCopy
