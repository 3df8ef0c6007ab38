#include "FileVersions.h"

#include "app/Errors.h"
#include "app/Settings.h"
#include "app/modSkiff.h"

namespace FileVersions {
namespace {

QString section()
{
    return QStringLiteral("FileVersions");
}

} // namespace

short Get(const QString& fileName)
{
    const QString stored = modSkiff::GetSetting(section(), fileName.toLower(), QStringLiteral("0"));
    try {
        return modSkiff::ToInteger(modSkiff::Val(stored));
    } catch (const SkiffError&) {
        return 0;
    }
}

void Set(const QString& fileName, short version)
{
    modSkiff::SaveSetting(section(), fileName.toLower(), QString::number(version));
}

} // namespace FileVersions
