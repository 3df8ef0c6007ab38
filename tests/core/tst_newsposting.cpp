// Posting news and replacing the name picture against the real local site:
// the exact bytes on the server and in the mirror, the server's ".backup",
// the refusals, and what is left alone when something fails.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "app/Clock.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "news/NameGif.h"
#include "news/NewsItem.h"
#include "news/NewsPosting.h"
#include "transport/Inet.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace modSkiff;

namespace {

const QString kPage = QStringLiteral("news/index.html");
const QString kTemplate = QStringLiteral("news/item.html");

} // namespace

class TestNewsPosting : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;

    QByteArray mirror(const QString& path) const
    {
        return ReadFileBytes(m_env->localPath("WebPage/" + path));
    }
    void publish(const QByteArray& page, const QByteArray& itemTemplate) const
    {
        m_site->writeSiteFile(kPage, page);
        m_site->writeSiteFile(kTemplate, itemTemplate);
    }
    bool post(const QString& text, bool send = true, const QString& page = kPage,
              const QString& itemTemplate = kTemplate)
    {
        Inet inet;
        return NewsPosting::BuildNewsPage(inet, {page, itemTemplate, text, "EST"}, send);
    }
    // "3" + the member's time separator + "07", as 15:07 shows.
    static QByteArray ThreeOhSeven()
    {
        return ("3" + NewsItem::SystemTimeSeparator() + "07").toUtf8();
    }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }

    void init()
    {
        m_env = std::make_unique<TestEnv>("Kestrel", 4);
        m_services = std::make_unique<ScriptedServices>();
        Clock::SetSource([] { return QDateTime(QDate(2025, 11, 28), QTime(15, 7)); });
        m_site->clearRefusals();
        m_site->clearLog();
    }

    void cleanup()
    {
        Clock::SetSource({});
        m_services.reset();
        m_env.reset();
    }

    void cleanupTestCase() { m_site.reset(); }

    void postingWritesTheExactPage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("itemTemplate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        // The date separator is the member's too.
        const QByteArray date = ("11" + NewsItem::SystemDateSeparator() + "28").toUtf8();
        QTest::newRow("two markers")
            << QByteArray("<h1>News</h1>\r\n<!--begin-->\r\n<p>old</p>\r\n<!--begin-->end")
            << QByteArray("<p>@NICKNAME@ @DATE@ @TIME@ @AMPM@ @TIMEZONE@: @POST@</p>")
            << "a\nb"
            << "<h1>News</h1>\r\n<!--begin--><p>kestrel " + date + " " + ThreeOhSeven() +
                   " PM EST: a<BR>b</p>\r\n<p>old</p>\r\n<!--begin--><p>kestrel " + date + " " +
                   ThreeOhSeven() + " PM EST: a<BR>b</p>end\r\n";
        QTest::newRow("template without placeholders")
            << QByteArray("<!--begin-->\n<p>old</p>\n") << QByteArray("<hr>") << "anything"
            << QByteArray("<!--begin--><hr>\n<p>old</p>\n\r\n");
        QTest::newRow("page without marker")
            << QByteArray("<html>\r\n<p>old</p>\r\n</html>") << QByteArray("<p>@POST@</p>")
            << "lost" << QByteArray("<html>\r\n<p>old</p>\r\n</html>\r\n");
        QTest::newRow("Windows-1252 page keeps its encoding")
            << QByteArray("<p>caf\xe9</p><!--begin-->") << QByteArray("<p>@POST@</p>")
            << QString::fromUtf8("\xc3\xa9t\xc3\xa9 \xc5\x91")
            << QByteArray("<p>caf\xe9</p><!--begin--><p>\xe9t\xe9 &#337;</p>\r\n");
    }
    void postingWritesTheExactPage()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, itemTemplate);
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        publish(page, itemTemplate);
        QVERIFY(post(text));
        QCOMPARE(m_site->readSiteFile(kPage), expected);
        QCOMPARE(mirror(kPage), expected);
        // The server keeps the page as it was before.
        QCOMPARE(m_site->readSiteFile(kPage + ".backup"), page);
        QVERIFY(m_services->shown.isEmpty());
    }

    void refusedPostsWriteNothing_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("itemTemplate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        const QString select = QStringLiteral("Please Select a News Page.");
        const QString type =
            QStringLiteral("You must type something in order to make a news post @_@");
        const int critical = vbOKOnly | vbCritical;
        QTest::newRow("no page") << "" << kTemplate << "hi" << select << int(vbOKOnly);
        QTest::newRow("no template") << kPage << "" << "hi" << select << int(vbOKOnly);
        QTest::newRow("nothing selected, nothing typed")
            << "" << "" << "" << select << int(vbOKOnly);
        QTest::newRow("spaces only") << kPage << kTemplate << "    " << type
                                     << int(vbOKOnly | vbExclamation);
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
        publish("<!--begin-->", "<p>@POST@</p>");
        m_services->answer(vbOK);
        QVERIFY(!post(text, true, page, itemTemplate));
        QCOMPARE(m_services->shown.size(), 1);
        QVERIFY2(m_services->last().prompt.contains(message), qPrintable(m_services->last().prompt));
        QCOMPARE(m_services->last().style, style);
        // What the member has to change first is asked before the site is.
        if ((style & kIconMask) != vbCritical)
            QVERIFY(m_site->httpLog().isEmpty());
        QVERIFY(m_site->ftpLog().isEmpty());
        QCOMPARE(m_site->readSiteFile(kPage), QByteArray("<!--begin-->"));
        QVERIFY(!QFileInfo::exists(m_env->localPath("WebPage/" + kPage)));
        QVERIFY(!QFileInfo::exists(m_env->root() + "/outside.html"));
    }

    void theNameGifIsNeverCopiedOntoItself()
    {
        Inet inet;
        const QString path = NameGif::SitePath("Kestrel");
        QCOMPARE(path, "images/kestrel.gif");
        m_site->writeSiteFile(path, "picture");
        QVERIFY(!NameGif::Fetch(inet, path).isEmpty());
        // The mirror file itself, named another way: copying it onto itself
        // would empty it.
        m_services->answerFiles({m_env->localFolder() + "WebPage/./images/kestrel.gif"});
        NameGif::Replace(inet, path);
        QCOMPARE(mirror(path), QByteArray("picture"));
        QCOMPARE(m_site->readSiteFile(path), QByteArray("picture"));
        QCOMPARE(m_site->readSiteFile(path + ".backup"), QByteArray("picture"));
    }

    void cancellingTheDialogIsAnErrorAndComesHome()
    {
        Inet inet;
        QDir::setCurrent(QDir::tempPath());
        m_services->answerFiles({});
        try {
            NameGif::Replace(inet, NameGif::SitePath("Kestrel"));
            QFAIL("no error");
        } catch (const SkiffError& error) {
            QCOMPARE(error.description(), "Cancel was selected.");
        }
        QCOMPARE(QDir::current(), QDir(m_env->localFolder()));
        QVERIFY(m_site->ftpLog().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNewsPosting)
#include "tst_newsposting.moc"
