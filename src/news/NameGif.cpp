#include "NameGif.h"

#include "site/MirrorFiles.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/shrmodStrings.h"
#include "site/WebFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

namespace NameGif {
namespace {

QString MirrorFile(const QString& sitePath)
{
    return QDir::current().absoluteFilePath(modSkiff::MapWebFileName(sitePath, true).localFile);
}

bool SameFile(const QString& a, const QString& b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString SitePath(const QString& nickname)
{
    return QStringLiteral("images/") + nickname.toLower() + QStringLiteral(".gif");
}

QString Fetch(Inet& inet, const QString& sitePath)
{
    if (!modSkiff::DownloadWebFileQuietly(inet, sitePath))
        return QString();
    return MirrorFile(sitePath);
}

void Replace(Inet& inet, const QString& sitePath)
{
    const auto backHome = qScopeGuard([] { QDir::setCurrent(modSkiff::LocalFolder); });
    QString folder, fileName;
    shrmodStrings::SplitAt(sitePath, QStringLiteral("/"), folder, fileName);
    const QStringList chosen =
        GetOpenFileNames(QStringLiteral("Replace ") + fileName + QStringLiteral(" With..."),
                         QString(), QStringLiteral("GIF pictures (*.gif);;All files (*)"), false);
    // The dialog may have wandered off to another folder.
    QDir::setCurrent(modSkiff::LocalFolder);
    if (chosen.isEmpty())
        throw SkiffError::cancelSelected();
    // Busy only from here: the member chooses the picture with the usual pointer.
    BusyPointer busy;
    const QString mirror = MirrorFile(sitePath);
    if (!SameFile(chosen.first(), mirror))
        MirrorFiles::Copy(chosen.first(), mirror);
    modSkiff::UploadWebFile(inet, sitePath);
}

} // namespace NameGif
