// The web-site operations against the real local site: name mapping, the
// upload with a server backup, downloads into the mirror or as text,
// deletion, their messages and the proxy.

#include "SiteTestCase.h"

#include "app/GlobalState.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/WebFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace modSkiff;

class TestWebFiles : public SiteTestCase
{
    Q_OBJECT

    void writeMirror(const QString& relative, const QByteArray& bytes) const
    {
        WriteFileBytes(mirror(relative), bytes);
    }

private slots:
    void init()
    {
        SiteTestCase::init();
        signIn();
        QDir(env().localFolder()).mkpath("WebPage");
        QDir().mkpath(site().sitePath("news"));
    }

    void uploadKeepsThePreviousServerCopyAsBackup()
    {
        Inet inet;
        writeMirror("news/my page.html", "first");
        // No backup on the server yet: the rename fails quietly, the send goes on.
        QVERIFY(UploadWebFile(inet, "news/my page.html"));
        writeMirror("news/my page.html", "second");
        site().clearLog();
        QVERIFY(UploadWebFile(inet, "news\\my page.html"));
        QCOMPARE(site().readSiteFile("news/my page.html"), QByteArray("second"));
        QCOMPARE(site().readSiteFile("news/my page.html.backup"), QByteArray("first"));
        const QString remote = "/users/tarnwardens/news/my page.html";
        QCOMPARE(commands(), (QStringList{"DELE " + remote + ".backup", "RNFR " + remote,
                                          "RNTO " + remote + ".backup", "STOR " + remote}));
    }

    // An upload the server refuses, or stores short while saying it is
    // complete, did not arrive: the previous server copy is put back.
    void anUploadThatDidNotArrivePutsThePreviousServerCopyBack_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("why");
        QTest::newRow("refused") << true << "550 Upload refused.";
        QTest::newRow("stored short")
            << false << "the server holds 7 of the 8 bytes sent for /users/tarnwardens/news/kept.html";
    }
    void anUploadThatDidNotArrivePutsThePreviousServerCopyBack()
    {
        QFETCH(bool, refused);
        QFETCH(QString, why);
        Inet inet;
        site().writeSiteFile("news/kept.html", "server copy");
        writeMirror("news/kept.html", "new copy");
        refused ? site().refuse("kept.html") : site().shorten("kept.html");
        services().expect(
            "/users/tarnwardens/news/kept.html could not be sent to the server: " + why,
            vbCritical);
        QVERIFY(!UploadWebFile(inet, "news/kept.html"));
        QCOMPARE(site().readSiteFile("news/kept.html"), QByteArray("server copy"));
        QVERIFY(!site().siteFileExists("news/kept.html.backup"));

        services().expect("WebPage/news/none.html does not exist on the local hard drive.",
                          vbCritical);
        site().clearLog();
        QVERIFY(!UploadWebFile(inet, "news\\none.html"));
        QCOMPARE(site().ftpLog(), QStringList());
    }

    void pathsLeavingTheSiteAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("parent") << "../outside.html";
        QTest::newRow("parent inside") << "news/../../outside.html";
        QTest::newRow("backslash parent") << "news\\..\\..\\outside.html";
        QTest::newRow("absolute") << "/etc/outside.html";
        QTest::newRow("empty folder") << "news//outside.html";
        QTest::newRow("folder only") << "news/";
        QTest::newRow("empty") << "";
        QTest::newRow("control character") << "news/a\x01.html";
    }
    void pathsLeavingTheSiteAreRefused()
    {
        QFETCH(QString, path);
        Inet inet;
        writeMirror("outside.html", "mirror copy");
        for (int i = 0; i < 3; ++i)
            services().expect(path + " is not a valid name for a file of the web site.",
                              vbCritical);
        QString contents = kSaveToFile;
        QVERIFY(!DownloadWebFile(inet, path, contents));
        QVERIFY(!UploadWebFile(inet, path));
        QVERIFY(!DeleteWebFile(inet, path));
        QVERIFY(site().ftpLog().isEmpty() && site().httpLog().isEmpty());
        QVERIFY(!QFileInfo::exists(env().localPath("outside.html")));
        QCOMPARE(ReadFileBytes(mirror("outside.html")), QByteArray("mirror copy"));
    }

    // An empty local copy is replaced, any other becomes the one backup.
    void downloadToFileSetsTheOldCopyAside()
    {
        Inet inet;
        site().writeSiteFile("news/today.html", "from server");
        QString contents = kSaveToFile;
        writeMirror("news/today.html", QByteArray());
        QVERIFY(DownloadWebFile(inet, "news/today.html", contents));
        QCOMPARE(contents, kSaveToFile);
        QVERIFY(!QFileInfo::exists(mirror("news/today.html.backup")));

        writeMirror("news/today.html", "my edit");
        writeMirror("news/today.html.backup", "older backup");
        QVERIFY(DownloadWebFile(inet, "news\\today.html", contents));
        QCOMPARE(ReadFileBytes(mirror("news/today.html")), QByteArray("from server"));
        QCOMPARE(ReadFileBytes(mirror("news/today.html.backup")), QByteArray("my edit"));
        QCOMPARE(inet.Protocol, int(icHTTP));
    }

    // As text a missing page is simply absent; to a file the member hears of
    // it and keeps the local copy and its backup.
    void aMissingPageIsAFailureThatLosesNothing()
    {
        Inet inet;
        QString contents = QStringLiteral("before");
        QVERIFY(!DownloadWebFile(inet, "qxg/nobody.dat", contents));
        QCOMPARE(contents, QStringLiteral("before"));

        writeMirror("news/gone.html", "my copy");
        writeMirror("news/gone.html.backup", "older");
        contents = kSaveToFile;
        services().expect(SiteConfig::HttpBase() + "news/gone.html could not be downloaded: the "
                                                   "server answered 404.",
                          vbCritical);
        QVERIFY(!DownloadWebFile(inet, "news/gone.html", contents));
        QCOMPARE(ReadFileBytes(mirror("news/gone.html")), QByteArray("my copy"));
        QCOMPARE(ReadFileBytes(mirror("news/gone.html.backup")), QByteArray("older"));
    }

    // Without a proxy the access type stays as it was; with one, everything
    // goes through it (the site server is a proxy too).
    void theProxyIsUsedOnlyWhenOneIsSet()
    {
        site().writeSiteFile("news/p.html", "page");
        writeMirror("news/up.html", "up");
        Inet direct;
        direct.AccessType = icDirect;
        QString contents;
        QVERIFY(DownloadWebFile(direct, "news/p.html", contents));
        QVERIFY(UploadWebFile(direct, "news/up.html"));
        QCOMPARE(direct.AccessType, int(icDirect));

        ProxyServer = QStringLiteral("127.0.0.1:%1").arg(site().httpPort());
        Inet proxied;
        contents.clear();
        QVERIFY(DownloadWebFile(proxied, "news/p.html", contents));
        QCOMPARE(contents, QStringLiteral("page"));
        QVERIFY(UploadWebFile(proxied, "news/up.html"));
        QVERIFY(site().httpLog().contains("GET " + SiteConfig::HttpBase() + "news/p.html"));
        QVERIFY(site().httpLog().contains(QString("CONNECT 127.0.0.1:%1").arg(site().ftpPort())));
    }
};

QTEST_GUILESS_MAIN(TestWebFiles)
#include "tst_webfiles.moc"
