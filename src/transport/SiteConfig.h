#pragma once
// The group's site as the program addresses it. Host, ports and the FTP
// password are fixed when the program is built; SKIFF_HOST, SKIFF_FTP_PORT,
// SKIFF_HTTP_PORT and SKIFF_FTP_PASSWORD override them at run time (the demo
// and the tests point Skiff at a local site that way).

#include <QString>

namespace SiteConfig {

QString Host();
int FtpPort();
int HttpPort();
QString FtpUserName();   // "pell"
QString FtpPassword();
QString SiteFolder();    // "/users/tarnwardens/"
QString GroupFolder();   // "/users/tarnwardens/qxg"
QString HttpBase();      // "http://" + host + "/tarnwardens/" (with the port when not 80)

} // namespace SiteConfig
