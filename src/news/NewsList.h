#pragma once
// The site's list of news pages, "qxg/_news.dat": one page a line, fields
// separated by "," without quoting: the name shown to members, the page's
// path on the site, the path of its item template, then the nicknames of
// members who may not post to that page. Both paths are relative to the web
// site and come from the server, so they are checked where they are used.

#include <QList>
#include <QString>

struct NewsPage
{
    QString name;
    QString pagePath;
    QString templatePath;
};

namespace NewsList {

// Where the list lives, relative to the web site.
inline const QString kFile = QStringLiteral("qxg/_news.dat");

// The pages offered to the member: every line except those naming the
// member among their excluded nicknames, letter case ignored. Fields missing
// from a short line are empty.
QList<NewsPage> PagesFor(const QString& listText, const QString& nickname);

} // namespace NewsList
