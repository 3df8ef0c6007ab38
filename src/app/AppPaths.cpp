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
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeFolder).isWritable())
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
