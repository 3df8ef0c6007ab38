// The explorer's work without its window, against the real local site:
// access by level and list, listings and their cache, and the file
// operations with the upkeep of the cached listing and the access list.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "transport/Inet.h"
#include "transport/SiteExplorer.h"

#include <QDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace modSkiff;

namespace {

const QString kSpaces = QStringLiteral("\r\n\r\nSorry, spaces are not allows in files for the QX Web Site");

// The explorer's component, its state changes read as the window reads them.
struct Explorer
{
    Inet inet;
    SiteExplorer site{inet};
    Explorer()
    {
        QObject::connect(&inet, &Inet::StateChanged, &inet,
                         [this](int state) { site.ReadResponse(state); });
    }
};

ino_t InodeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class TestSiteExplorer : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;

    int countInLog(const QString& line) const { return int(m_site->ftpLog().count(line)); }
    QString mirror(const QString& relative) const
    {
        return m_env->localPath(QStringLiteral("WebPage/") + relative);
    }
    // A restricted member whose list on the server is this text.
    std::unique_ptr<Explorer> restricted(const QByteArray& list)
    {
        QFile::remove(m_site->sitePath(QStringLiteral("qxg/Ann.dat")));
        m_site->writeSiteFile(QStringLiteral("qxg/ann.dat"), list);
        auto explorer = std::make_unique<Explorer>();
        explorer->site.PrepareAccess();
        m_site->clearLog();
        return explorer;
    }
    std::unique_ptr<Explorer> administrator()
    {
        CurrentLevel = 4;
        auto explorer = std::make_unique<Explorer>();
        explorer->site.PrepareAccess();
        return explorer;
    }

private slots:
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "3");
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void init()
    {
        m_env = std::make_unique<TestEnv>(QStringLiteral("Ann"), 3);
        m_services = std::make_unique<ScriptedServices>();
        m_site->clearLog();
    }
    void cleanup()
    {
        QCOMPARE(m_services->pendingAnswers(), 0);
        m_services.reset();
        m_env.reset();
    }
    void cleanupTestCase() { m_site.reset(); }

    void accessByLevelAndList_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("list"); // on the server; "-" for none
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("webAccess");
        QTest::newRow("administrator") << 4 << QByteArray("index.html") << true << QString();
        QTest::newRow("full access") << 3 << QByteArray("*full access*") << true << "*full access*";
        QTest::newRow("with a line end") << 2 << QByteArray("*full access*\r\n") << false
                                         << "*full access*\r\n";
        QTest::newRow("backslashes") << 3 << QByteArray("news\\a.html") << false << "news/a.html";
        QTest::newRow("html page") << 3 << QByteArray("<html>nope</html>") << false << QString();
        QTest::newRow("missing") << 3 << QByteArray("-") << false << QString();
    }
    void accessByLevelAndList()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, list);
        QFETCH(bool, full);
        QFETCH(QString, webAccess);
        CurrentLevel = static_cast<unsigned char>(level);
        CurrentUser = QStringLiteral("Ann");
        QFile::remove(m_site->sitePath(QStringLiteral("qxg/Ann.dat")));
        QFile::remove(m_site->sitePath(QStringLiteral("qxg/ann.dat")));
        if (list != "-")
            m_site->writeSiteFile(QStringLiteral("qxg/Ann.dat"), list);
        Explorer explorer;
        explorer.site.PrepareAccess();
        QCOMPARE(explorer.site.FullAccess, full);
        QCOMPARE(explorer.site.WebAccess, webAccess);
        // The list is read under the nickname as the user file spells it,
        // and where that is missing, as the explorer writes it back.
        QStringList reads;
        if (level != 4)
            reads << "GET /tarnwardens/qxg/Ann.dat";
        if (list == "-")
            reads << "GET /tarnwardens/qxg/ann.dat";
        QCOMPARE(m_site->httpLog(), reads);
        QCOMPARE(QFileInfo(mirror(QStringLiteral("qxg"))).isDir(), level != 4);
        QVERIFY(m_services->shown.isEmpty());
    }

    void entriesLeavingTheSiteAreNamedOnce()
    {
        m_services->answer(vbOK);
        const auto explorer = restricted("index.html\r\n../../etc/passwd\r\n/abs.html");
        QCOMPARE(m_services->prompts(),
                 QStringList{"../../etc/passwd is not a valid name for a file of the web site.\r\n"
                             "/abs.html is not a valid name for a file of the web site."});
        QString tag;
        QCOMPARE(explorer->site.ListFolder(QString(), tag, CurrentUser).files,
                 QStringList{"index.html"});
    }

    // A folder with entries is listed from the server once; an empty one
    // (or one whose listing failed) at every visit.
    void listingsAreCachedOnlyWhenTheyHoldSomething()
    {
        m_site->writeSiteFile(QStringLiteral("cache/full/a.html"), "a");
        m_site->writeSiteFile(QStringLiteral("cache/full/.htaccess"), "h");
        m_site->writeSiteFile(QStringLiteral("cache/full/sub/b.html"), "b");
        QDir().mkpath(m_site->sitePath(QStringLiteral("cache/empty")));
        const auto explorer = administrator();
        QString fullTag, emptyTag, missingTag;
        for (int visit = 0; visit < 2; ++visit) {
            const SiteExplorer::FolderContents full =
                explorer->site.ListFolder(QStringLiteral("cache/full/"), fullTag, CurrentUser);
            QCOMPARE(full.folders, QStringList{"sub"});
            QStringList files = full.files;
            files.sort();
            QCOMPARE(files, (QStringList{".htaccess", "a.html"}));
            QVERIFY(full.addFiles && full.deleteFiles);
            QVERIFY(explorer->site
                        .ListFolder(QStringLiteral("cache/empty/"), emptyTag, CurrentUser)
                        .files.isEmpty());
            explorer->site.ListFolder(QStringLiteral("cache/missing/"), missingTag, CurrentUser);
        }
        const int fullListings = countInLog("MLSD /users/tarnwardens/cache/full/");
        QCOMPARE(fullListings, 1);
        QCOMPARE(countInLog("MLSD /users/tarnwardens/cache/empty/"), 2);
        QCOMPARE(countInLog("MLSD /users/tarnwardens/cache/missing/"), 2);
        QVERIFY(emptyTag.isEmpty() && missingTag.isEmpty());
        // Keys are listed in lower case.
        QString upperTag;
        explorer->site.ListFolder(QStringLiteral("Cache/Full/"), upperTag, CurrentUser);
        QCOMPARE(countInLog("MLSD /users/tarnwardens/cache/full/"), fullListings + 1);
    }

    void folderNodesFollowTheTreeRules()
    {
        const QStringList existing = {"", "news/", "news/archive/"};
        const auto hasNode = [&](const QString& key) {
            return existing.contains(key, Qt::CaseInsensitive);
        };
        for (const char* skipped : {"./", "../", ".git/", ".git", "/", "Archive/"}) {
            QVERIFY2(!SiteExplorer::NewFolderNode(QStringLiteral("news/"), QLatin1String(skipped),
                                                  hasNode),
                     skipped);
        }
        QVERIFY(!SiteExplorer::NewFolderNode(QStringLiteral("nowhere/"), QStringLiteral("x/"), hasNode));
        const auto node = SiteExplorer::NewFolderNode(QStringLiteral("NEWS/"), QStringLiteral("Old"), hasNode);
        QVERIFY(node);
        QCOMPARE(node->key, QStringLiteral("NEWS/Old/"));
        QCOMPARE(node->text, QStringLiteral("Old"));
    }

    void aFullAccessDeleteEditsTheCachedListing()
    {
        m_site->writeSiteFile(QStringLiteral("b.html"), "b");
        const auto explorer = administrator();
        QString tag = QStringLiteral("a.html\r\nb.html\r\nc.html\r\n");
        QVERIFY(explorer->site.DeleteFromServer(QString(), QStringLiteral("b.html"), tag));
        QCOMPARE(tag, QStringLiteral("a.html\r\nc.html\r\n"));
        QVERIFY(!m_site->siteFileExists(QStringLiteral("b.html")));
        QVERIFY(!m_site->httpLog().contains("GET /tarnwardens/qxg/ann.dat"));
    }

    // The window's tests show the spaces and REPLACE messages; here the
    // names that would lead elsewhere, which never reach the server.
    void newNamesLeadingElsewhereAreRefused()
    {
        const auto explorer = restricted("news/a.html\r\n");
        QString tag;
        for (const char* unsafe : {"../a.html", "sub/a.html", "..", "a\\b.html"}) {
            m_services->answer(vbOK);
            QVERIFY(!explorer->site.RegisterNewFile(QStringLiteral("news/"), QLatin1String(unsafe), tag));
            QCOMPARE(m_services->last().prompt,
                     QLatin1String(unsafe) + QStringLiteral(" is not a valid name for a file of the web site."));
        }
        QVERIFY(m_site->ftpLog().isEmpty());
        QCOMPARE(m_site->readSiteFile(QStringLiteral("qxg/ann.dat")), QByteArray("news/a.html\r\n"));
    }

    void addedFilesAreCopiedUploadedAndListed()
    {
        const auto explorer = administrator();
        m_site->writeSiteFile(QStringLiteral("news/index.html"), "i");
        m_env->writeLocal(QStringLiteral("outside/new.html"), "new page");
        QString tag = QStringLiteral("index.html\r\n");
        QVERIFY(explorer->site.AddToServer(QStringLiteral("news/"),
                                           m_env->localPath(QStringLiteral("outside/new.html")), tag));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/new.html")), QByteArray("new page"));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/new.html"))), QByteArray("new page"));
        QCOMPARE(tag, QStringLiteral("index.html\r\n\r\nnew.html"));

        // The mirror copy itself is sent as it is, not copied onto itself.
        WriteFileBytes(mirror(QStringLiteral("news/own.html")), "own");
        const ino_t before = InodeOf(mirror(QStringLiteral("news/own.html")));
        QVERIFY(explorer->site.AddToServer(QStringLiteral("news/"),
                                           mirror(QStringLiteral("news/own.html")), tag));
        QCOMPARE(InodeOf(mirror(QStringLiteral("news/own.html"))), before);
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/own.html")), QByteArray("own"));

        // A refused upload lists nothing.
        m_site->refuse(QStringLiteral("refused.html"));
        m_env->writeLocal(QStringLiteral("outside/refused.html"), "r");
        m_services->answer(vbOK);
        QVERIFY(!explorer->site.AddToServer(QStringLiteral("news/"),
                                            m_env->localPath(QStringLiteral("outside/refused.html")), tag));
        QVERIFY(m_services->last().prompt.contains(QLatin1String("could not be sent to the server")));
        QVERIFY(!tag.contains(QLatin1String("refused")));
    }

    void replaceKeepsABackupAndRefusesBlanks()
    {
        m_site->writeSiteFile(QStringLiteral("index.html"), "old index");
        const auto explorer = administrator();
        m_env->writeLocal(QStringLiteral("old.htm"), "content of old.htm");
        QVERIFY(explorer->site.ReplaceOnServer(QString(), QStringLiteral("index.html"),
                                               m_env->localPath(QStringLiteral("old.htm"))));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("index.html.backup")), QByteArray("old index"));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("index.html"))), QByteArray("content of old.htm"));

        m_env->writeLocal(QStringLiteral("two words.htm"), "x");
        m_services->answer(vbOK);
        QVERIFY(!explorer->site.ReplaceOnServer(QString(), QStringLiteral("index.html"),
                                                m_env->localPath(QStringLiteral("two words.htm"))));
        QCOMPARE(m_services->last().prompt, QStringLiteral("two words.htm") + kSpaces);
        QCOMPARE(m_site->readSiteFile(QStringLiteral("index.html")), QByteArray("content of old.htm"));
    }

    void mirrorCopiesAndTheirIcons()
    {
        WriteFileBytes(mirror(QStringLiteral("news/here.html")), "h");
        QCOMPARE(SiteExplorer::MirrorIcon(QStringLiteral("news/"), QStringLiteral("here.html")),
                 QStringLiteral("file"));
        QCOMPARE(SiteExplorer::ExistingMirrorCopy(QStringLiteral("news/"), QStringLiteral("here.html")),
                 mirror(QStringLiteral("news/here.html")));
        QCOMPARE(SiteExplorer::MirrorIcon(QStringLiteral("news/"), QStringLiteral("gone.html")),
                 QStringLiteral("filenotfound"));
        // A folder of that name is no copy, and nothing outside is looked at.
        QCOMPARE(SiteExplorer::MirrorIcon(QString(), QStringLiteral("news")), QStringLiteral("filenotfound"));
        m_env->writeLocal(QStringLiteral("outside.html"), "o");
        QCOMPARE(SiteExplorer::MirrorIcon(QString(), QStringLiteral("../outside.html")),
                 QStringLiteral("filenotfound"));
        QVERIFY(SiteExplorer::ExistingMirrorCopy(QString(), QStringLiteral("../outside.html")).isEmpty());

        SiteExplorer::DeleteLocalCopy(QStringLiteral("news/"), QStringLiteral("here.html"));
        QVERIFY(!QFile::exists(mirror(QStringLiteral("news/here.html"))));
        SiteExplorer::DeleteLocalCopy(QStringLiteral("news/"), QStringLiteral("here.html"));
        QVERIFY_THROWS_EXCEPTION(SkiffError, SiteExplorer::DeleteLocalCopy(QString(), QStringLiteral("../outside.html")));
        QVERIFY(QFile::exists(m_env->localPath(QStringLiteral("outside.html"))));
    }
};

QTEST_GUILESS_MAIN(TestSiteExplorer)
#include "tst_siteexplorer.moc"
