#pragma once
// The group's site as the program addresses it. Host, ports and the FTP
// password are fixed when the program is built; SKIFF_HOST, SKIFF_FTP_PORT,
// SKIFF_HTTP_PORT, SKIFF_HTTPS_PORT and SKIFF_FTP_PASSWORD override them at
// run time (the demo and the tests point Skiff at a local site that way).

#include <QString>

namespace SiteConfig {

QString Host();
int FtpPort();
int HttpPort();
QString FtpUserName();   // "pell"
QString FtpPassword();
QString SiteFolder();    // "/users/tarnwardens/"
QString GroupFolder();   // "/users/tarnwardens/qxg"
int HttpsPort();
// "https://" + host + "/tarnwardens/" (with the port when not 443), or
// "http://" (port 80) when the encryption policy is off.
QString HttpBase();
// The plain address of the site's same page, for a host that turns out to
// offer no HTTPS under the policy auto; other addresses stay as they are.
QString PlainAddress(const QString& url);

} // namespace SiteConfig
