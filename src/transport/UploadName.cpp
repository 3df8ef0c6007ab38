#include "UploadName.h"

#include <QRegularExpression>
#include <QUuid>

namespace UploadName {
namespace {

const QString kPrefix = QStringLiteral("._skiff.");

// Folder part (with its "/") and file name of a path.
std::pair<QString, QString> SplitPath(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return {path.left(slash + 1), path.mid(slash + 1)};
}

const QRegularExpression& Pattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\._skiff\\.[0-9a-f]{12}\\.(.+)$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

} // namespace

QString TemporaryFor(const QString& remotePath)
{
    const auto [folder, name] = SplitPath(remotePath);
    const QString token = QUuid::createUuid().toString(QUuid::Id128).left(12);
    return folder + kPrefix + token + QLatin1Char('.') + name;
}

bool IsTemporary(const QString& fileName)
{
    return Pattern().match(fileName).hasMatch();
}

bool IsTemporaryOf(const QString& temporary, const QString& remotePath)
{
    const auto [folder, name] = SplitPath(temporary);
    const auto [remoteFolder, remoteName] = SplitPath(remotePath);
    const QRegularExpressionMatch match = Pattern().match(name);
    return folder == remoteFolder && match.hasMatch() && match.captured(1) == remoteName;
}

} // namespace UploadName
