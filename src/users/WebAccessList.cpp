#include "WebAccessList.h"

#include "UserRecord.h"

#include "app/Errors.h"
#include "app/shrmodStrings.h"
#include "transport/Inet.h"
#include "site/WebFiles.h"
#include "transport/SiteAccount.h"

namespace WebAccessList {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

bool IsBlank(const QString& line) { return TrimSpaces(line).isEmpty(); }

} // namespace

QString Clean(const QString& downloaded)
{
    QString text = downloaded.contains(QLatin1Char('<')) ? QString() : downloaded;
    shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\\"), QStringLiteral("/")});
    return text;
}

bool IsFullAccess(const QString& webAccess) { return webAccess == kFullAccess; }

QStringList RefusedEntries(const QString& webAccess)
{
    QStringList refused;
    for (const QString& line : webAccess.split(kLineEnd)) {
        if (IsBlank(line))
            continue;
        // A folder alone ("news/") is harmless; what it names must stay inside.
        const QString path = line.endsWith(QLatin1Char('/')) ? line.chopped(1) : line;
        if (!modSkiff::IsSafeSitePath(path))
            refused.append(line);
    }
    return refused;
}

QList<FolderStep> TreeFolders(const QString& webAccess)
{
    QList<FolderStep> steps{{QString(), QStringLiteral("images/")}};
    for (QString rest : webAccess.split(kLineEnd)) {
        QString path;
        while (rest.contains(QLatin1Char('/'))) {
            QString segment;
            shrmodStrings::SplitAt(rest, QStringLiteral("/"), segment, rest);
            // Nothing below a folder that would leave the site is shown.
            if (!modSkiff::IsSafeSitePath(path + segment))
                break;
            steps.append({path, segment + QLatin1Char('/')});
            path += segment + QLatin1Char('/');
        }
    }
    return steps;
}

FolderView ViewOf(const QString& webAccess, const QString& nodeKey, const QString& nickname)
{
    const QString currentKey = nodeKey.toLower();
    QString picture = nickname.toLower() + QStringLiteral(".gif");
    FolderView view;
    for (QString line : webAccess.toLower().split(kLineEnd)) {
        if (IsBlank(line) || !shrmodStrings::StripLeadingText(line, currentKey) ||
            line.contains(QLatin1Char('/')))
            continue;
        if (line == kAddFiles) {
            view.addFiles = true;
        } else if (line == kDeleteFiles) {
            view.deleteFiles = true;
        } else if (modSkiff::IsSafeSitePath(currentKey + line)) {
            view.files.append(line);
            if (line == picture)
                picture.clear();
        }
    }
    if (!picture.isEmpty() && nodeKey == QLatin1String("images/") &&
        modSkiff::IsSafeSitePath(nodeKey + picture))
        view.files.append(picture);
    return view;
}

QString WithoutEntry(QString webAccess, const QString& sitePath)
{
    QStringList lines = TrimSpaces(webAccess).split(kLineEnd);
    for (QString& line : lines) {
        if (line.compare(sitePath, Qt::CaseInsensitive) == 0)
            line.clear();
    }
    QString text = lines.join(kLineEnd);
    return shrmodStrings::ReplaceText(text, {kLineEnd + kLineEnd, kLineEnd});
}

QString WithEntry(QString webAccess, const QString& sitePath)
{
    QString text = TrimSpaces(webAccess);
    if (!text.endsWith(kLineEnd))
        text += kLineEnd;
    return text + sitePath;
}

QString SitePathOf(const QString& nickname)
{
    return QStringLiteral("qxg/") + nickname.toLower() + QStringLiteral(".dat");
}

QString ReadPathOf(Inet& inet, const QString& nickname)
{
    const QString spelled = QStringLiteral("qxg/") + nickname + QStringLiteral(".dat");
    if (spelled == SitePathOf(nickname))
        return spelled;
    try {
        UseSiteAccount(inet);
        inet.Protocol = icHTTP;
        inet.OpenURLBytes(modSkiff::MapWebFileName(spelled).address);
        const int status = inet.HttpStatus();
        return status == 404 || status == 410 ? SitePathOf(nickname) : spelled;
    } catch (const SkiffError&) {
        return spelled;
    }
}

} // namespace WebAccessList
