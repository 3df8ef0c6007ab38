// The pieces of a news post that need no server: reading the page list,
// stamping the moment, filling the template, inserting the item into the
// page and the page's bytes. (The insert buttons' snippets are checked
// where they land, in the news window's text.)

#include "news/NewsItem.h"
#include "news/NewsList.h"

#include <QtTest>

namespace {

// One offered page as "name|page|template".
QStringList Offered(const QString& list, const QString& nickname)
{
    QStringList pages;
    for (const NewsPage& page : NewsList::PagesFor(list, nickname))
        pages << page.name + QLatin1Char('|') + page.pagePath + QLatin1Char('|') +
                     page.templatePath;
    return pages;
}

const NewsItem::Stamp kStamp{QStringLiteral("11/28"), QStringLiteral("3:07"),
                             QStringLiteral("PM")};

} // namespace

class TestNewsItem : public QObject
{
    Q_OBJECT

private slots:
    void pageList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("nickname");
        QTest::addColumn<QStringList>("offered");
        const QString front = QStringLiteral("Front,news/index.html,news/item.html");
        QTest::newRow("two pages") << front + "\r\nCorner,news/c.html,news/ci.html\r\n" << "Ann"
                                   << QStringList{"Front|news/index.html|news/item.html",
                                                  "Corner|news/c.html|news/ci.html"};
        QTest::newRow("excluded in another letter case")
            << front + "\r\nCorner,news/c.html,news/ci.html,Pip,aNN" << "Ann"
            << QStringList{"Front|news/index.html|news/item.html"};
        QTest::newRow("a longer name is somebody else")
            << front + ",Annie,Jo" << "Ann"
            << QStringList{"Front|news/index.html|news/item.html"};
        QTest::newRow("short lines give empty paths")
            << "Lonely\r\nHalf,news/half.html" << "Ann"
            << QStringList{"Lonely||", "Half|news/half.html|"};
        QTest::newRow("bare LF and blank lines")
            << front + "\n\n  \r\nCorner,news/c.html,news/ci.html\n" << "Ann"
            << QStringList{"Front|news/index.html|news/item.html",
                           "Corner|news/c.html|news/ci.html"};
        QTest::newRow("blanks around fields")
            << " Front , news/index.html ,news/item.html , Pip , ann " << "Ann" << QStringList();
    }
    void pageList()
    {
        QFETCH(QString, list);
        QFETCH(QString, nickname);
        QFETCH(QStringList, offered);
        QCOMPARE(Offered(list, nickname), offered);
    }

    void stamp_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("ampm");
        const QDate date(2025, 3, 4);
        QTest::newRow("15:07") << QDateTime(date, QTime(15, 7)) << "3/4" << "3:07" << "PM";
        QTest::newRow("midnight") << QDateTime(date, QTime(0, 5)) << "3/4" << "12:05" << "AM";
        QTest::newRow("noon") << QDateTime(date, QTime(12, 0)) << "3/4" << "12:00" << "PM";
        QTest::newRow("late in the year")
            << QDateTime(QDate(2025, 11, 28), QTime(23, 40)) << "11/28" << "11:40" << "PM";
    }
    void stamp()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, ampm);
        const NewsItem::Stamp stamp = NewsItem::StampAt(when, "/", ":");
        QCOMPARE(stamp.date, date);
        QCOMPARE(stamp.time, time);
        QCOMPARE(stamp.ampm, ampm);
        // The member's own separators are used as they are.
        const NewsItem::Stamp dotted = NewsItem::StampAt(when, ".", ".");
        QCOMPARE(dotted.date, QString(date).replace('/', '.'));
        QCOMPARE(dotted.time, QString(time).replace(':', '.'));
    }

    void separators_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("separator");
        QTest::newRow("US date") << "M/d/yy" << "/";
        QTest::newRow("German date") << "dd.MM.yy" << ".";
        QTest::newRow("quoted letters") << "d' de 'MMMM/yy" << "/";
        QTest::newRow("no separator") << "d MMM yyyy" << "#";
        QTest::newRow("time") << "h:mm AP" << ":";
    }
    void separators()
    {
        QFETCH(QString, format);
        QFETCH(QString, separator);
        QCOMPARE(NewsItem::SeparatorIn(format, "#"), separator);
    }

    void postText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<QString>("post");
        QTest::newRow("CR LF") << "a\r\nb" << false << "a<BR>b";
        QTest::newRow("LF from the text box") << "a\nb" << false << "a<BR>b";
        QTest::newRow("only a line break") << "\n" << false << "<BR>";
        QTest::newRow("spaces") << "   " << true << "   ";
        QTest::newRow("nothing") << "" << true << "";
        QTest::newRow("a tab is something") << "\t" << false << "\t";
    }
    void postText()
    {
        QFETCH(QString, typed);
        QFETCH(bool, blank);
        QFETCH(QString, post);
        QCOMPARE(NewsItem::IsBlank(typed), blank);
        QCOMPARE(NewsItem::PostText(typed), post);
    }

    void fillTemplate_data()
    {
        QTest::addColumn<QString>("itemTemplate");
        QTest::addColumn<QString>("post");
        QTest::addColumn<QString>("item");
        QTest::newRow("every placeholder")
            << "<p><img src=\"@NICKNAME@.gif\"> @DATE@ @TIME@ @AMPM@ @TIMEZONE@<br>@POST@</p>"
            << "Hi" << "<p><img src=\"kestrel.gif\"> 11/28 3:07 PM EST<br>Hi</p>";
        QTest::newRow("no placeholders") << "<hr>\r\nplain" << "Hi" << "<hr>\r\nplain";
        QTest::newRow("first found in any case, later ones as written")
            << "@nickname@ @NICKNAME@ @Nickname@" << "x" << "kestrel kestrel @Nickname@";
        QTest::newRow("the member's text is not filled in")
            << "@POST@" << "on @DATE@ by @NICKNAME@" << "on @DATE@ by @NICKNAME@";
    }
    void fillTemplate()
    {
        QFETCH(QString, itemTemplate);
        QFETCH(QString, post);
        QFETCH(QString, item);
        QCOMPARE(NewsItem::FillTemplate(itemTemplate, "Kestrel", kStamp, "EST", post), item);
    }

    void insertItem_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("result");
        QTest::newRow("two markers") << "a<!--begin-->b<!--begin-->c"
                                     << "a<!--begin-->Xb<!--begin-->Xc";
        QTest::newRow("no marker") << "<html></html>" << "<html></html>";
        QTest::newRow("first marker in capitals")
            << "<!--BEGIN-->b<!--BEGIN-->" << "<!--begin-->Xb<!--BEGIN-->";
    }
    void insertItem()
    {
        QFETCH(QString, page);
        QFETCH(QString, result);
        QCOMPARE(NewsItem::InsertItem(page, "X"), result);
    }

    void pageBytes_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8") << QString::fromUtf8("caf\xc3\xa9 \xc5\x91") << true
                               << QByteArray("caf\xc3\xa9 \xc5\x91\r\n");
        QTest::newRow("Windows-1252 keeps its bytes")
            << QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac?") << false
            << QByteArray("caf\xe9 \x80?\r\n");
        QTest::newRow("Windows-1252 without the character")
            << QString::fromUtf8("\xc5\x91 \xf0\x9f\x98\x80") << false
            << QByteArray("&#337; &#128512;\r\n");
    }
    void pageBytes()
    {
        QFETCH(QString, page);
        QFETCH(bool, utf8);
        QFETCH(QByteArray, bytes);
        QCOMPARE(NewsItem::PageBytes(page, utf8 ? SiteText::Encoding::Utf8
                                                : SiteText::Encoding::Windows1252),
                 bytes);
    }
};

QTEST_GUILESS_MAIN(TestNewsItem)
#include "tst_newsitem.moc"
