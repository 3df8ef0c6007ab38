#include "SiteConfig.h"

#include "TlsSupport.h"

#include <QUrl>

namespace SiteConfig {
namespace {

QString fromEnvironment(const char* name, const QString& builtIn)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? builtIn : value;
}

int portFromEnvironment(const char* name, int builtIn)
{
    bool ok = false;
    const int port = qEnvironmentVariable(name).toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : builtIn;
}

} // namespace

QString Host() { return fromEnvironment("SKIFF_HOST", QStringLiteral(SKIFF_DEFAULT_HOST)); }
int FtpPort() { return portFromEnvironment("SKIFF_FTP_PORT", SKIFF_DEFAULT_FTP_PORT); }
int HttpPort() { return portFromEnvironment("SKIFF_HTTP_PORT", SKIFF_DEFAULT_HTTP_PORT); }
QString FtpUserName() { return QStringLiteral("pell"); }
QString FtpPassword()
{
    return fromEnvironment("SKIFF_FTP_PASSWORD", QStringLiteral(SKIFF_DEFAULT_FTP_PASSWORD));
}
QString SiteFolder() { return QStringLiteral("/users/tarnwardens/"); }
QString GroupFolder() { return SiteFolder() + QLatin1String("qxg"); }

int HttpsPort() { return portFromEnvironment("SKIFF_HTTPS_PORT", SKIFF_DEFAULT_HTTPS_PORT); }

QString HttpBase()
{
    const bool encrypted = CurrentTlsPolicy() != TlsPolicy::Off;
    const int port = encrypted ? HttpsPort() : HttpPort();
    const QString authority = port == (encrypted ? 443 : 80)
                                  ? Host()
                                  : Host() + QLatin1Char(':') + QString::number(port);
    return (encrypted ? QLatin1String("https://") : QLatin1String("http://")) + authority +
           QLatin1String("/tarnwardens/");
}

QString PlainAddress(const QString& url)
{
    QUrl address(url);
    if (address.scheme() != QLatin1String("https") || address.host() != Host() ||
        address.port(443) != HttpsPort())
        return url;
    address.setScheme(QStringLiteral("http"));
    address.setPort(HttpPort() == 80 ? -1 : HttpPort());
    return address.toString();
}

} // namespace SiteConfig
