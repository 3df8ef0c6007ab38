#pragma once
// Posting a news item: the page and its template fetched from the site, the
// filled template inserted into the page, the page written into the local
// mirror and, when it is to be sent, uploaded with the server's ".backup"
// copy of the previous page.

#include <QString>

class Inet;

struct NewsPost
{
    QString pagePath;      // site paths, as the news list gives them
    QString templatePath;
    QString newsText;      // as typed; lines end with LF or CR LF
    QString timeZone;
};

namespace NewsPosting {

// Builds the page with the new item on top, for the signed-in member at one
// reading of the clock; with send the page goes to the site as well. Every
// refusal and failure is shown to the member; false then, and nothing is
// sent (nor written, unless only the upload failed).
bool BuildNewsPage(Inet& inet, const NewsPost& post, bool send);

// The page's copy in the local mirror, as a full path.
QString MirrorPage(const QString& pagePath);

} // namespace NewsPosting
