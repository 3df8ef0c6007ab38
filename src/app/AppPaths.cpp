#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppPaths {

QString ProgramFolder()
{
    const QString overridden = qEnvironmentVariable("SKIFF_PROGRAM_DIR");
    if (!overridden.isEmpty()) {
        QDir().mkpath(overridden);
        return QDir::cleanPath(QFileInfo(overridden).absoluteFilePath());
    }
    // A program installed with its desktop entry lives among other
    // programs and leaves nothing beside itself (even when run by root, who
    // may write there); one run from its own folder keeps its files there.
    const QString exeFolder = QCoreApplication::applicationDirPath();
    const bool installed =
        QFileInfo::exists(exeFolder + QLatin1String("/../share/applications/skiff.desktop"));
    if (!installed && QFileInfo(exeFolder).isWritable())
        return exeFolder;
    const QString data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Skiff";
    QDir().mkpath(data);
    return data;
}

QString WithTrailingSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace AppPaths
