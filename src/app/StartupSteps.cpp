#include "StartupSteps.h"

#include "AppPaths.h"
#include "GlobalState.h"
#include "Settings.h"

#include <QFile>

namespace StartupSteps {

void PrepareExternalEditorsFile(const std::function<QByteArray()>& firstList)
{
    modSkiff::ExternalEditorsFile =
        AppPaths::ProgramFolder() + QLatin1String("/external editors.ini");
    QFile file(modSkiff::ExternalEditorsFile);
    if (file.exists())
        return;
    if (!file.open(QIODevice::WriteOnly))
        return; // a read-only program folder simply has no editors list yet
    file.write(firstList());
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
