#include "NewsList.h"

#include "app/shrmodStrings.h"

#include <QStringList>

namespace NewsList {
namespace {

// Lines end with CR LF; a list saved by an editor that writes bare LF
// reads the same, and blank lines (a stray line end) offer no page.
QStringList Lines(const QString& text)
{
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    return lines;
}

// Cuts the next field off the line; the rest stays in line.
QString CutField(QString& line)
{
    QString field;
    shrmodStrings::SplitAt(line, QStringLiteral(","), field, line);
    return field.trimmed();
}

bool Excludes(const QString& nicknames, const QString& nickname)
{
    if (nicknames.isEmpty())
        return false;
    const QString member = nickname.toLower();
    for (const QString& excluded : nicknames.split(QLatin1Char(','))) {
        if (excluded.trimmed().toLower() == member)
            return true;
    }
    return false;
}

} // namespace

QList<NewsPage> PagesFor(const QString& listText, const QString& nickname)
{
    QList<NewsPage> pages;
    for (QString line : Lines(listText)) {
        NewsPage page;
        page.name = CutField(line);
        page.pagePath = CutField(line);
        page.templatePath = CutField(line);
        if (!Excludes(line, nickname))
            pages << page;
    }
    return pages;
}

} // namespace NewsList
