#pragma once
// One news item: the template filled with the member, the moment, the time
// zone and the text, and the page with the item inserted after its marker.

#include "app/SiteText.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace NewsItem {

// Marks the place of the newest item in a news page; it stays in place.
inline const QString kMarker = QStringLiteral("<!--begin-->");

// The moment of a post as the template shows it: "@DATE@" month and day
// without leading zeros, "@TIME@" hour on the 12-hour clock and two-digit
// minutes, "@AMPM@".
struct Stamp
{
    QString date;
    QString time;
    QString ampm;
};
Stamp StampAt(const QDateTime& when, const QString& dateSeparator, const QString& timeSeparator);

// The separators of the member's short date and time formats ("/" and ":"
// where the format shows none).
QString SystemDateSeparator();
QString SystemTimeSeparator();
// The first separator in a date or time format such as "dd.MM.yy": the
// first character that is no letter, blank or quote.
QString SeparatorIn(const QString& format, const QString& fallback);

// Whether the text is nothing but spaces (line breaks count as something).
bool IsBlank(const QString& newsText);
// The news text for the page: every line break becomes "<BR>". The text box
// gives its lines as LF or CR LF alike.
QString PostText(const QString& newsText);

// The template with its placeholders filled, in the order nickname, date,
// time, AM/PM, time zone, post; each placeholder's first occurrence is
// found in any letter case, later ones only as written.
QString FillTemplate(QString itemTemplate, const QString& nickname, const Stamp& stamp,
                     const QString& timeZone, const QString& post);

// The page with the item right after every marker (the first one found in
// any letter case, later ones only as written), each marker left as the
// page writes it; a page without a marker stays as it is.
QString InsertItem(QString page, const QString& item);

// The page as written to the mirror and the site: its text followed by one
// CR LF, in the encoding it came in. A character a Windows-1252 page cannot
// hold goes in as an HTML character reference rather than being lost.
QByteArray PageBytes(const QString& page, SiteText::Encoding encoding);

} // namespace NewsItem
