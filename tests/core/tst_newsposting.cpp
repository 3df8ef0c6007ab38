// Posting news without the window: reading the page list, stamping the
// moment, the post's text and the page's bytes; then, against the local
// site, the exact page on the server and in the mirror, the server's
// ".backup", the refusals, and the name picture.

#include "SiteTestCase.h"

#include "app/Clock.h"
#include "app/GlobalState.h"
#include "news/NameGif.h"
#include "news/NewsItem.h"
#include "news/NewsList.h"
#include "news/NewsPosting.h"
#include "transport/Inet.h"

#include <QDir>
#include <QtTest>

using namespace modSkiff;

namespace {

const QString kPage = QStringLiteral("news/index.html");
const QString kTemplate = QStringLiteral("news/item.html");

} // namespace

class TestNewsPosting : public SiteTestCase
{
    Q_OBJECT


    bool post(const QString& text, const QString& page = kPage, const QString& itemTemplate = kTemplate)
    {
        Inet inet;
        return NewsPosting::BuildNewsPage(inet, {page, itemTemplate, text, "EST"}, true);
    }

private slots:
    void init()
    {
        SiteTestCase::init();
        signIn("Kestrel", 4);
        Clock::SetSource([] { return QDateTime(QDate(2025, 11, 28), QTime(15, 7)); });
    }
    void cleanup()
    {
        Clock::SetSource({});
        SiteTestCase::cleanup();
    }

    // Rows: the list, then the pages offered to Ann as "name|page|template".
    void pageList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("offered");
        const QString front = QStringLiteral("Front,news/index.html,news/item.html");
        const QString offered = QStringLiteral("Front|news/index.html|news/item.html");
        QTest::newRow("excluded in another letter case")
            << front + "\r\nCorner,news/c.html,news/ci.html,Pip,aNN" << QStringList{offered};
        QTest::newRow("a longer name is somebody else") << front + ",Annie,Jo" << QStringList{offered};
        QTest::newRow("short lines give empty paths")
            << "Lonely\r\nHalf,news/half.html" << QStringList{"Lonely||", "Half|news/half.html|"};
        QTest::newRow("bare LF and blank lines")
            << front + "\n\n  \r\nCorner,news/c.html,news/ci.html\n"
            << QStringList{offered, "Corner|news/c.html|news/ci.html"};
        QTest::newRow("blanks around fields")
            << " Front , news/index.html ,news/item.html , Pip , ann " << QStringList();
    }
    void pageList()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, offered);
        QStringList pages;
        for (const NewsPage& page : NewsList::PagesFor(list, "Ann"))
            pages << page.name + '|' + page.pagePath + '|' + page.templatePath;
        QCOMPARE(pages, offered);
    }

    void stamp_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stamp");
        const QDate date(2025, 3, 4);
        QTest::newRow("15:07") << QDateTime(date, QTime(15, 7)) << "3/4 3:07 PM";
        QTest::newRow("midnight") << QDateTime(date, QTime(0, 5)) << "3/4 12:05 AM";
        QTest::newRow("noon") << QDateTime(date, QTime(12, 0)) << "3/4 12:00 PM";
        QTest::newRow("late in the year") << QDateTime(QDate(2025, 11, 28), QTime(23, 40)) << "11/28 11:40 PM";
    }
    void stamp()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, stamp);
        const NewsItem::Stamp slashed = NewsItem::StampAt(when, "/", ":");
        QCOMPARE(slashed.date + ' ' + slashed.time + ' ' + slashed.ampm, stamp);
        // The member's own separators are used as they are.
        const NewsItem::Stamp dotted = NewsItem::StampAt(when, ".", ".");
        QCOMPARE(dotted.date + ' ' + dotted.time, stamp.section(' ', 0, 1).replace('/', '.').replace(':', '.'));
    }

    void separators()
    {
        const QList<QPair<QString, QString>> formats = {
            {"M/d/yy", "/"}, {"dd.MM.yy", "."}, {"d' de 'MMMM/yy", "/"}, {"d MMM yyyy", "#"}, {"h:mm AP", ":"}};
        for (const auto& [format, separator] : formats)
            QCOMPARE(NewsItem::SeparatorIn(format, "#"), separator);
    }

    void postText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<QString>("post");
        QTest::newRow("CR LF") << "a\r\nb" << false << "a<BR>b";
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

    void postingWritesTheExactPage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("itemTemplate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        // The separators are the member's.
        const QByteArray date = ("11" + NewsItem::SystemDateSeparator() + "28").toUtf8();
        const QByteArray time = ("3" + NewsItem::SystemTimeSeparator() + "07").toUtf8();
        const QByteArray item = "<p>kestrel " + date + " " + time + " PM EST: a<BR>b</p>";
        QTest::newRow("two markers")
            << QByteArray("<h1>News</h1>\r\n<!--begin-->\r\n<p>old</p>\r\n<!--begin-->end")
            << QByteArray("<p>@NICKNAME@ @DATE@ @TIME@ @AMPM@ @TIMEZONE@: @POST@</p>") << "a\nb"
            << "<h1>News</h1>\r\n<!--begin-->" + item + "\r\n<p>old</p>\r\n<!--begin-->" + item + "end\r\n";
        QTest::newRow("template without placeholders")
            << QByteArray("<!--begin-->\n<p>old</p>\n") << QByteArray("<hr>") << "anything"
            << QByteArray("<!--begin--><hr>\n<p>old</p>\n\r\n");
        QTest::newRow("page without marker")
            << QByteArray("<html>\r\n<p>old</p>\r\n</html>") << QByteArray("<p>@POST@</p>")
            << "lost" << QByteArray("<html>\r\n<p>old</p>\r\n</html>\r\n");
        // The item goes after the page's own marker, which stays as written.
        QTest::newRow("marker in capitals")
            << QByteArray("<h1>News</h1><!--BEGIN-->\r\n<p>old</p>") << QByteArray("<hr>@post@")
            << "new" << QByteArray("<h1>News</h1><!--BEGIN--><hr>new\r\n<p>old</p>\r\n");
        QTest::newRow("placeholders once each, the member's text as typed")
            << QByteArray("<!--begin-->") << QByteArray("@nickname@ @NICKNAME@ @Nickname@ @POST@")
            << "on @DATE@" << QByteArray("<!--begin-->kestrel kestrel @Nickname@ on @DATE@\r\n");
        QTest::newRow("UTF-8 page") << QByteArray("<p>caf\xc3\xa9</p><!--begin-->")
                                    << QByteArray("<p>@POST@</p>") << QString::fromUtf8("\xc5\x91")
                                    << QByteArray("<p>caf\xc3\xa9</p><!--begin--><p>\xc5\x91</p>\r\n");
        // What the page's encoding has no room for goes as a character reference.
        QTest::newRow("Windows-1252 page keeps its encoding")
            << QByteArray("<p>caf\xe9</p><!--begin-->") << QByteArray("<p>@POST@</p>")
            << QString::fromUtf8("\xc3\xa9t\xc3\xa9 \xc5\x91 \xe2\x82\xac \xf0\x9f\x98\x80")
            << QByteArray("<p>caf\xe9</p><!--begin--><p>\xe9t\xe9 &#337; \x80 &#128512;</p>\r\n");
    }
    void postingWritesTheExactPage()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, itemTemplate);
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        site().writeSiteFile(kPage, page);
        site().writeSiteFile(kTemplate, itemTemplate);
        QVERIFY(post(text));
        QCOMPARE(site().readSiteFile(kPage), expected);
        QCOMPARE(ReadFileBytes(mirror(kPage)), expected);
        // The server keeps the page as it was before.
        QCOMPARE(site().readSiteFile(kPage + ".backup"), page);
    }

    void refusedPostsWriteNothing_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("itemTemplate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        const QString select = QStringLiteral("Please Select a News Page.");
        const int critical = vbOKOnly | vbCritical;
        QTest::newRow("no page") << "" << kTemplate << "hi" << select << int(vbOKOnly);
        QTest::newRow("nothing selected, nothing typed") << "" << "" << "" << select << int(vbOKOnly);
        QTest::newRow("missing template") << kPage << "news/gone.html" << "hi"
                                          << "news/gone.html could not be downloaded" << critical;
        QTest::newRow("missing page") << "news/gone.html" << kTemplate << "hi"
                                      << "news/gone.html could not be downloaded" << critical;
        QTest::newRow("page outside the site")
            << "../outside.html" << kTemplate << "hi"
            << "../outside.html is not a valid name for a file of the web site." << critical;
        QTest::newRow("template outside the site")
            << kPage << "news/../../x.html" << "hi"
            << "news/../../x.html is not a valid name for a file of the web site." << critical;
    }
    void refusedPostsWriteNothing()
    {
        QFETCH(QString, page);
        QFETCH(QString, itemTemplate);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, style);
        site().writeSiteFile(kPage, "<!--begin-->");
        site().writeSiteFile(kTemplate, "<p>@POST@</p>");
        site().clearLog();
        services().answer(vbOK);
        QVERIFY(!post(text, page, itemTemplate));
        QVERIFY2(services().last().prompt.contains(message), qPrintable(services().last().prompt));
        QCOMPARE(services().last().style, style);
        // What the member has to change first is asked before the site is.
        if ((style & kIconMask) != vbCritical)
            QVERIFY(site().httpLog().isEmpty() && site().ftpLog().isEmpty());
        QVERIFY(site().ftpCommands("STOR").filter(QRegularExpression("html$")).isEmpty());
        QCOMPARE(site().readSiteFile(kPage), "<!--begin-->");
        QVERIFY(!QFileInfo::exists(mirror(kPage)));
        QVERIFY(!QFileInfo::exists(env().root() + "/outside.html"));
    }

    // A page or template that came incomplete is refused: the page on the server stays byte for byte, nothing goes
    // into the mirror, and the message names the file and what is wrong.
    void postsOnlyIntoWholePages_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("itemTemplate");
        QTest::addColumn<QString>("web"); // the name served short over HTTP
        QTest::addColumn<bool>("send");
        QTest::addColumn<QString>("message");
        const QByteArray page = "<h1>News</h1>\r\n<!--begin-->\r\n<p>older news</p>\r\n";
        const QByteArray item = "<p>@POST@</p>";
        QTest::newRow("template served short")
            << page << QByteArray("<div class=item><p>@POST@</p></div>") << "item.html" << true
            << "news/item.html came incomplete: the web server sent 17 bytes, the file holds 35. "
               "Nothing was changed; try again later.";
        QTest::newRow("page served short to the preview")
            << page << item << "index.html" << false
            << "news/index.html came incomplete: the web server sent 24 bytes, the file holds 48. "
               "Nothing was changed; try again later.";
    }
    void postsOnlyIntoWholePages()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, itemTemplate);
        QFETCH(QString, web);
        QFETCH(bool, send);
        QFETCH(QString, message);
        QFile::remove(site().sitePath(kPage + ".backup"));
        site().writeSiteFile(kPage, page);
        site().writeSiteFile(kTemplate, itemTemplate);
        if (!web.isEmpty())
            site().webShort(web);
        services().expect(message, vbCritical);
        Inet inet;
        QVERIFY(!NewsPosting::BuildNewsPage(inet, {kPage, kTemplate, "lost?", "EST"}, send));
        QCOMPARE(site().readSiteFile(kPage), page);
        QVERIFY(!site().siteFileExists(kPage + ".backup"));
        QVERIFY(!QFileInfo::exists(mirror(kPage)));
    }

    // Ann posted a moment ago, and a stale proxy still serves the page
    // before her item: Kestrel's item goes into the page the server holds.
    void twoPostersKeepBothItems()
    {
        const QByteArray before = "<h1>News</h1><!--begin--><p>old</p>";
        site().writeSiteFile(kTemplate, "<p>@NICKNAME@: @POST@</p>");
        site().writeSiteFile(kPage, before);
        CurrentUser = QStringLiteral("Ann");
        QVERIFY(post("first"));
        const QByteArray anns = "<h1>News</h1><!--begin--><p>ann: first</p><p>old</p>\r\n";
        QCOMPARE(site().readSiteFile(kPage), anns);
        site().webServe("index.html", before);
        CurrentUser = QStringLiteral("Kestrel");
        QVERIFY(post("second"));
        QCOMPARE(site().readSiteFile(kPage),
                 "<h1>News</h1><!--begin--><p>kestrel: second</p><p>ann: first</p><p>old</p>\r\n\r\n");
        QCOMPARE(site().readSiteFile(kPage + ".backup"), anns);
    }

    void theNameGifIsNeverCopiedOntoItself()
    {
        Inet inet;
        const QString path = NameGif::SitePath("Kestrel");
        QCOMPARE(path, "images/kestrel.gif");
        site().writeSiteFile(path, "picture");
        QVERIFY(!NameGif::Fetch(inet, path).isEmpty());
        // The mirror file itself, named another way: copying it onto itself
        // would empty it.
        services().answerFiles({env().localFolder() + "WebPage/./images/kestrel.gif"});
        NameGif::Replace(inet, path);
        QCOMPARE(ReadFileBytes(mirror(path)), "picture");
        QCOMPARE(site().readSiteFile(path), "picture");
        QCOMPARE(site().readSiteFile(path + ".backup"), "picture");
    }

};

QTEST_GUILESS_MAIN(TestNewsPosting)
#include "tst_newsposting.moc"
