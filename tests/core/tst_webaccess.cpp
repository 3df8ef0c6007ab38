// A member's web access list: reading it, the folders and files it shows,
// and keeping it up to date after deletes and new files.

#include "users/WebAccessList.h"

#include <QtTest>

using namespace WebAccessList;

Q_DECLARE_METATYPE(WebAccessList::FolderStep)

class TestWebAccess : public QObject
{
    Q_OBJECT

private slots:
    void cleaningAndFullAccess()
    {
        QCOMPARE(Clean(QStringLiteral("<html><body>404</body></html>")), QString());
        QCOMPARE(Clean(QStringLiteral("news\\index.html\r\nindex.html")),
                 QStringLiteral("news/index.html\r\nindex.html"));
        QVERIFY(IsFullAccess(Clean(QStringLiteral("*full access*"))));
        for (const char* notFull : {"*full access*\r\n", "*Full Access*", " *full access*", ""})
            QVERIFY2(!IsFullAccess(QLatin1String(notFull)), notFull);
    }

    void treeFoldersFromTheOutsideIn()
    {
        const QString list = QStringLiteral("news/archive/old.html\r\nNews/*add files*\r\n"
                                            "index.html\r\n.git/config\r\n../x/y.html\r\n"
                                            "/etc/passwd\r\nok/../b/c.html\r\n");
        const QList<FolderStep> expected = {{"", "images/"},   {"", "news/"}, {"news/", "archive/"},
                                            {"", "News/"},     {"", ".git/"}, {"", "ok/"}};
        QCOMPARE(TreeFolders(list), expected);
        QCOMPARE(TreeFolders(QString()), (QList<FolderStep>{{"", "images/"}}));
        QCOMPARE(RefusedEntries(list),
                 (QStringList{"../x/y.html", "/etc/passwd", "ok/../b/c.html"}));
        QVERIFY(RefusedEntries(QStringLiteral("news/\r\n  \r\n*add files*")).isEmpty());
    }

    void folderViewsWithTheirRights()
    {
        const QString list = QStringLiteral("news/index.html\r\nnews/*add files*\r\n");
        const FolderView root = ViewOf(list, QString(), QStringLiteral("Ann"));
        QVERIFY(root.files.isEmpty());
        QVERIFY(!root.addFiles && !root.deleteFiles);
        const FolderView news = ViewOf(list, QStringLiteral("news/"), QStringLiteral("Ann"));
        QCOMPARE(news.files, QStringList{"index.html"});
        QVERIFY(news.addFiles);
        QVERIFY(!news.deleteFiles);

        // Keys and entries meet in lower case; the list shows lower case.
        const FolderView mixed = ViewOf(QStringLiteral("  News/Today.HTML\r\nNEWS/*Delete Files*"),
                                        QStringLiteral("News/"), QStringLiteral("Ann"));
        QCOMPARE(mixed.files, QStringList{"today.html"});
        QVERIFY(mixed.deleteFiles);

        // A list that is not exactly the full-access marker lists it as a file.
        QCOMPARE(ViewOf(QStringLiteral("*full access*\r\n"), QString(), QStringLiteral("Ann")).files,
                 QStringList{"*full access*"});
        // Entries of subfolders and names leaving the site are not this folder's.
        QCOMPARE(ViewOf(QStringLiteral("a/b.html\r\n..\r\nc.html"), QString(), QStringLiteral("Ann"))
                     .files,
                 QStringList{"c.html"});
    }

    void theMembersPictureShowsOnceInImages()
    {
        const QString named = QStringLiteral("images/logo.gif\r\nimages/Anna.gif");
        QCOMPARE(ViewOf(named, QStringLiteral("images/"), QStringLiteral("Anna")).files,
                 (QStringList{"logo.gif", "anna.gif"}));
        QCOMPARE(ViewOf(QStringLiteral("images/logo.gif"), QStringLiteral("images/"),
                        QStringLiteral("Anna"))
                     .files,
                 (QStringList{"logo.gif", "anna.gif"}));
        QVERIFY(ViewOf(QString(), QString(), QStringLiteral("Anna")).files.isEmpty());
        // Only the folder whose key is exactly "images/".
        QVERIFY(ViewOf(QString(), QStringLiteral("Images/"), QStringLiteral("Anna")).files.isEmpty());
        QVERIFY(ViewOf(QString(), QStringLiteral("images/"), QStringLiteral("../x")).files.isEmpty());
    }

    void upkeepAfterDeleteAndNewFile()
    {
        QCOMPARE(WithoutEntry(QStringLiteral("news/a.html\r\noldnews/a.html"),
                              QStringLiteral("news/a.html")),
                 QStringLiteral("\r\noldnews/a.html"));
        QCOMPARE(WithoutEntry(QStringLiteral("  index.html\r\nNews/A.html\r\nnews/b.html\r\n  "),
                              QStringLiteral("news/a.html")),
                 QStringLiteral("index.html\r\nnews/b.html\r\n"));
        QCOMPARE(WithoutEntry(QStringLiteral("x.html"), QStringLiteral("y.html")),
                 QStringLiteral("x.html"));

        QCOMPARE(WithEntry(QStringLiteral("index.html"), QStringLiteral("news/new.html")),
                 QStringLiteral("index.html\r\nnews/new.html"));
        QCOMPARE(WithEntry(QStringLiteral("index.html\r\n  "), QStringLiteral("new.html")),
                 QStringLiteral("index.html\r\nnew.html"));
        QCOMPARE(WithEntry(QString(), QStringLiteral("new.html")), QStringLiteral("\r\nnew.html"));
        QCOMPARE(SitePathOf(QStringLiteral("Ann")), QStringLiteral("qxg/ann.dat"));
    }
};

QTEST_GUILESS_MAIN(TestWebAccess)
#include "tst_webaccess.moc"
