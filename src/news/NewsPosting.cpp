#include "NewsPosting.h"

#include "site/MirrorFiles.h"
#include "NewsItem.h"

#include "app/Clock.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "site/WebFiles.h"

#include <QDir>

namespace NewsPosting {

bool BuildNewsPage(Inet& inet, const NewsPost& post, bool send)
{
    using namespace modSkiff;
    if (post.pagePath.isEmpty() || post.templatePath.isEmpty()) {
        MsgBox(QStringLiteral("Please Select a News Page."), vbOKOnly);
        return false;
    }
    if (NewsItem::IsBlank(post.newsText)) {
        MsgBox(QStringLiteral("You must type something in order to make a news post @_@"),
               vbExclamation);
        return false;
    }
    QString itemTemplate, page;
    SiteText::Encoding templateEncoding, pageEncoding;
    if (!DownloadWebText(inet, post.templatePath, itemTemplate, templateEncoding) ||
        !DownloadWebText(inet, post.pagePath, page, pageEncoding))
        return false;

    const NewsItem::Stamp stamp = NewsItem::StampAt(
        Clock::Now(), NewsItem::SystemDateSeparator(), NewsItem::SystemTimeSeparator());
    const QString item = NewsItem::FillTemplate(itemTemplate, CurrentUser, stamp, post.timeZone,
                                                NewsItem::PostText(post.newsText));
    try {
        MirrorFiles::Write(MirrorPage(post.pagePath),
                           NewsItem::PageBytes(NewsItem::InsertItem(page, item), pageEncoding));
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return false;
    }
    return !send || UploadWebFile(inet, post.pagePath);
}

QString MirrorPage(const QString& pagePath)
{
    return QDir::current().absoluteFilePath(modSkiff::MapWebFileName(pagePath, true).localFile);
}

} // namespace NewsPosting
