#include "NewsItem.h"

#include "app/Windows1252.h"
#include "app/shrmodStrings.h"

#include <QLocale>

namespace NewsItem {

Stamp StampAt(const QDateTime& when, const QString& dateSeparator, const QString& timeSeparator)
{
    const QDate date = when.date();
    const QTime time = when.time();
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    Stamp stamp;
    stamp.date = QString::number(date.month()) + dateSeparator + QString::number(date.day());
    stamp.time = QString::number(hour) + timeSeparator +
                 QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
    stamp.ampm = time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
    return stamp;
}

QString SeparatorIn(const QString& format, const QString& fallback)
{
    for (const QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
            return QString(c);
    }
    return fallback;
}

QString SystemDateSeparator()
{
    return SeparatorIn(QLocale::system().dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
}

QString SystemTimeSeparator()
{
    return SeparatorIn(QLocale::system().timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
}

bool IsBlank(const QString& newsText)
{
    for (const QChar c : newsText) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

QString PostText(const QString& newsText)
{
    QString text = newsText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\r\n"),
                                                     QStringLiteral("<BR>")});
}

QString FillTemplate(QString itemTemplate, const QString& nickname, const Stamp& stamp,
                     const QString& timeZone, const QString& post)
{
    return shrmodStrings::ReplaceText(
        itemTemplate, {QStringLiteral("@NICKNAME@"), nickname.toLower(), QStringLiteral("@DATE@"),
                       stamp.date, QStringLiteral("@TIME@"), stamp.time,
                       QStringLiteral("@AMPM@"), stamp.ampm, QStringLiteral("@TIMEZONE@"),
                       timeZone, QStringLiteral("@POST@"), post});
}

QString InsertItem(QString page, const QString& item)
{
    qsizetype at = page.indexOf(kMarker, 0, Qt::CaseInsensitive);
    while (at >= 0) {
        page.insert(at + kMarker.size(), item);
        at = page.indexOf(kMarker, at + kMarker.size() + item.size(), Qt::CaseSensitive);
    }
    return page;
}

QByteArray PageBytes(const QString& page, SiteText::Encoding encoding)
{
    const QString text = page + QStringLiteral("\r\n");
    if (encoding == SiteText::Encoding::Utf8)
        return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char b = Windows1252::encodeChar(c);
        if (b != '?' || c == QLatin1Char('?')) {
            bytes += b;
            continue;
        }
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(c, text.at(++i));
        bytes += "&#" + QByteArray::number(quint32(codePoint)) + ';';
    }
    return bytes;
}

} // namespace NewsItem
