#include "StartupSteps.h"

#include "AppPaths.h"
#include "GlobalState.h"
#include "Settings.h"

#include <QFile>

namespace StartupSteps {
namespace {

// A plain text editor, a web page editor and a picture editor, as Debian
// installs them (gnome-text-editor, bluefish, gimp); a member whose desktop
// has others lists them with "Configure External Editors...".
const char* const kDefaultEditors = "Text Editor\r\n"
                                    "/usr/bin/gnome-text-editor\r\n"
                                    "Bluefish HTML Editor\r\n"
                                    "/usr/bin/bluefish\r\n"
                                    "GIMP Image Editor\r\n"
                                    "/usr/bin/gimp\r\n";

} // namespace

void PrepareExternalEditorsFile()
{
    modSkiff::ExternalEditorsFile =
        AppPaths::ProgramFolder() + QLatin1String("/external editors.ini");
    QFile file(modSkiff::ExternalEditorsFile);
    if (file.exists())
        return;
    if (!file.open(QIODevice::WriteOnly))
        return; // a read-only program folder simply has no editors list yet
    file.write(kDefaultEditors);
}

void ReadNoReadOnly()
{
    modSkiff::NoReadOnly =
        modSkiff::GetSetting(QStringLiteral("Settings"), QStringLiteral("NoReadOnly"),
                             QStringLiteral("No")) == QLatin1String("Yes");
}

void ReadProxySwitch(const QString& commandLine)
{
    const qsizetype at = commandLine.indexOf(QLatin1String("/proxy"), 0, Qt::CaseSensitive);
    if (at >= 0)
        modSkiff::ProxyServer = commandLine.mid(at + 7);
}

} // namespace StartupSteps
