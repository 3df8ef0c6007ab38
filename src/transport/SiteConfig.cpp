#include "SiteConfig.h"

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

QString HttpBase()
{
    const int port = HttpPort();
    const QString authority = port == 80 ? Host() : Host() + QLatin1Char(':') + QString::number(port);
    return QLatin1String("http://") + authority + QLatin1String("/tarnwardens/");
}

} // namespace SiteConfig
