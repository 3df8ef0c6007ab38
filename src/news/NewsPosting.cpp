#include "NewsPosting.h"

#include "site/MirrorFiles.h"
#include "NewsItem.h"

#include "app/Clock.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "site/SiteChange.h"
#include "site/SiteCopy.h"
#include "site/WebFiles.h"

#include <QDir>

namespace NewsPosting {
namespace {

QByteArray Whole(const std::optional<QByteArray>& fetched, const QString& sitePath)
{
    if (!fetched)
        throw SkiffError(sitePath + QStringLiteral(" could not be downloaded: the server does not "
                                                   "have it."));
    return *fetched;
}

QString FilledItem(const QString& itemTemplate, const NewsPost& post)
{
    const NewsItem::Stamp stamp = NewsItem::StampAt(
        Clock::Now(), NewsItem::SystemDateSeparator(), NewsItem::SystemTimeSeparator());
    return NewsItem::FillTemplate(itemTemplate, modSkiff::CurrentUser, stamp, post.timeZone,
                                  NewsItem::PostText(post.newsText));
}

// The page with the item into the mirror, in the encoding it came in.
void WritePage(const QString& pagePath, const QByteArray& bytes, const QString& item)
{
    SiteText::Encoding encoding;
    const QString page = SiteText::Decode(bytes, &encoding);
    MirrorFiles::Write(MirrorPage(pagePath),
                       NewsItem::PageBytes(NewsItem::InsertItem(page, item), encoding));
}

} // namespace

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
    try {
        // A path leaving the site is refused before the site is asked.
        const SiteCopy::Source page = SiteCopy::ForSitePath(post.pagePath);
        const QString itemTemplate = SiteText::Decode(Whole(
            SiteCopy::Fetch(inet, SiteCopy::ForSitePath(post.templatePath)), post.templatePath));
        const QString item = FilledItem(itemTemplate, post);
        if (!send) {
            WritePage(post.pagePath, Whole(SiteCopy::Fetch(inet, page), post.pagePath), item);
            return true;
        }
        // The item goes into the page as the server holds it at the moment
        // of the upload, so another member's item of a moment ago stays.
        bool sent = false;
        QString why;
        if (!SiteChange::UnderChangeLock(
                inet,
                [&](FtpLink& link) {
                    WritePage(post.pagePath,
                              Whole(SiteCopy::FetchOverFtp(link, page), post.pagePath), item);
                    sent = UploadWebFile(inet, post.pagePath);
                    return true;
                },
                &why))
            MsgBox(post.pagePath + QStringLiteral(" was not changed: ") + why, vbCritical);
        return sent;
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return false;
    }
}

QString MirrorPage(const QString& pagePath)
{
    return QDir::current().absoluteFilePath(modSkiff::MapWebFileName(pagePath, true).localFile);
}

} // namespace NewsPosting
