// The web-site operations against the real local site: name mapping, the
// upload with a server backup, downloads into the mirror or as text,
// deletion, messages and the proxy.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"
#include "app/GlobalState.h"
#include "app/SiteText.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/WebFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTcpServer>
#include <QtTest>

#include <memory>

using namespace modSkiff;

namespace {

bool InOrder(const QStringList& log, const QStringList& lines)
{
    int at = 0;
    for (const QString& line : log) {
        if (at < lines.size() && line == lines.at(at))
            ++at;
    }
    return at == lines.size();
}

} // namespace

class TestWebFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedServices> m_services;

    QString mirror(const QString& relative) const
    {
        return m_env->localPath(QStringLiteral("WebPage/") + relative);
    }
    void writeMirror(const QString& relative, const QByteArray& bytes) const
    {
        WriteFileBytes(mirror(relative), bytes);
    }

private slots:
    void initTestCase()
    {
        qputenv("SKIFF_NET_TIMEOUT", "2");
        m_site = std::make_unique<SiteServer>();
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }

    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_services = std::make_unique<ScriptedServices>();
        QDir(m_env->localFolder()).mkpath(QStringLiteral("WebPage"));
        QDir().mkpath(m_site->sitePath(QStringLiteral("news")));
        m_site->clearLog();
    }

    void cleanup()
    {
        m_services.reset();
        m_env.reset();
    }

    void cleanupTestCase() { m_site.reset(); }

    void namesMapAlikeWithEitherSlash()
    {
        const WebFileNames forward = MapWebFileName(QStringLiteral("news/archive/today.html"));
        QCOMPARE(forward.localFile, QStringLiteral("WebPage/news/archive/today.html"));
        QCOMPARE(forward.remoteFile, QStringLiteral("/users/tarnwardens/news/archive/today.html"));
        QCOMPARE(forward.address,
                 SiteConfig::HttpBase() + QStringLiteral("news/archive/today.html"));
        const WebFileNames back = MapWebFileName(QStringLiteral("news\\archive\\today.html"));
        QCOMPARE(back.localFile, forward.localFile);
        QCOMPARE(back.remoteFile, forward.remoteFile);
        QCOMPARE(back.address, forward.address);

        const WebFileNames root = MapWebFileName(QStringLiteral("index.html"));
        QCOMPARE(root.localFile, QStringLiteral("WebPage/index.html"));
        QCOMPARE(root.remoteFile, QStringLiteral("/users/tarnwardens/index.html"));

        // Only a download makes the folders on the way.
        MapWebFileName(QStringLiteral("deep/er/x.txt"));
        QVERIFY(!QFileInfo::exists(mirror(QStringLiteral("deep"))));
        MapWebFileName(QStringLiteral("deep\\er/x.txt"), true);
        QVERIFY(QFileInfo(mirror(QStringLiteral("deep/er"))).isDir());
    }

    void uploadKeepsThePreviousServerCopyAsBackup()
    {
        Inet inet;
        writeMirror(QStringLiteral("news/today.html"), "first");
        // No backup on the server yet: the rename fails quietly, the send goes on.
        QVERIFY(UploadWebFile(inet, QStringLiteral("news/today.html")));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/today.html")), QByteArray("first"));
        QVERIFY(!m_site->siteFileExists(QStringLiteral("news/today.html.backup")));
        QVERIFY2(InOrder(m_site->ftpLog(), {"DELE /users/tarnwardens/news/today.html.backup",
                                            "RNFR /users/tarnwardens/news/today.html",
                                            "STOR /users/tarnwardens/news/today.html"}),
                 qPrintable(m_site->ftpLog().join('\n')));

        // The same file again, named with backslashes.
        writeMirror(QStringLiteral("news/today.html"), "second");
        QVERIFY(UploadWebFile(inet, QStringLiteral("news\\today.html")));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/today.html")), QByteArray("second"));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/today.html.backup")),
                 QByteArray("first"));
        QCOMPARE(m_services->shown.size(), 0);
        QCOMPARE(inet.Host, SiteConfig::Host());
        QCOMPARE(inet.Protocol, int(icFTP));
    }

    void pathsLeavingTheSiteAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("parent") << QStringLiteral("../outside.html");
        QTest::newRow("parent inside") << QStringLiteral("news/../../outside.html");
        QTest::newRow("backslash parent") << QStringLiteral("news\\..\\..\\outside.html");
        QTest::newRow("absolute") << QStringLiteral("/etc/outside.html");
        QTest::newRow("empty folder") << QStringLiteral("news//outside.html");
        QTest::newRow("folder only") << QStringLiteral("news/");
        QTest::newRow("empty") << QString();
        QTest::newRow("control character") << QStringLiteral("news/a\x01.html");
    }

    void pathsLeavingTheSiteAreRefused()
    {
        QFETCH(QString, path);
        Inet inet;
        writeMirror(QStringLiteral("outside.html"), "mirror copy");
        QString contents = kSaveToFile;
        QVERIFY(!DownloadWebFile(inet, path, contents));
        QVERIFY(!UploadWebFile(inet, path));
        QVERIFY(!DeleteWebFile(inet, path));
        QCOMPARE(m_services->prompts(),
                 QStringList(3, path + QStringLiteral(" is not a valid name for a file of the "
                                                      "web site.")));
        QVERIFY(m_site->ftpLog().isEmpty());
        QVERIFY(m_site->httpLog().isEmpty());
        QVERIFY(!QFileInfo::exists(m_env->localPath(QStringLiteral("outside.html"))));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("outside.html"))), QByteArray("mirror copy"));
    }

    void aRefusedUploadPutsThePreviousServerCopyBack()
    {
        Inet inet;
        m_site->writeSiteFile(QStringLiteral("news/kept.html"), "server copy");
        writeMirror(QStringLiteral("news/kept.html"), "new copy");
        m_site->refuse(QStringLiteral("kept.html"));
        QVERIFY(!UploadWebFile(inet, QStringLiteral("news/kept.html")));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/kept.html")),
                 QByteArray("server copy"));
        QCOMPARE(m_services->shown.size(), 1);
        QVERIFY2(m_services->last().prompt.startsWith(QStringLiteral(
                     "/users/tarnwardens/news/kept.html could not be sent to the server: ")),
                 qPrintable(m_services->last().prompt));
        QCOMPARE(m_services->last().icon(), int(vbCritical));
    }

    void uploadOfAMissingLocalFileSendsNothing()
    {
        Inet inet;
        QVERIFY(!UploadWebFile(inet, QStringLiteral("news\\none.html")));
        QCOMPARE(m_services->shown.size(), 1);
        QCOMPARE(m_services->last().prompt,
                 QStringLiteral("WebPage/news/none.html does not exist on the local hard drive."));
        QCOMPARE(m_services->last().icon(), int(vbCritical));
        QCOMPARE(m_services->last().buttons(), int(vbOKOnly));
        QCOMPARE(m_site->ftpLog(), QStringList());
    }

    void downloadToFileSetsTheOldCopyAside()
    {
        Inet inet;
        m_site->writeSiteFile(QStringLiteral("news/today.html"), "from server");
        QString contents = kSaveToFile;

        // An empty local copy is replaced without a backup.
        writeMirror(QStringLiteral("news/today.html"), QByteArray());
        QVERIFY(DownloadWebFile(inet, QStringLiteral("news/today.html"), contents));
        QCOMPARE(contents, kSaveToFile);
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/today.html"))),
                 QByteArray("from server"));
        QVERIFY(!QFileInfo::exists(mirror(QStringLiteral("news/today.html.backup"))));

        // Any other copy becomes the one local backup.
        writeMirror(QStringLiteral("news/today.html"), "my edit");
        writeMirror(QStringLiteral("news/today.html.backup"), "older backup");
        QVERIFY(DownloadWebFile(inet, QStringLiteral("news\\today.html"), contents));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/today.html"))),
                 QByteArray("from server"));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/today.html.backup"))),
                 QByteArray("my edit"));
        QCOMPARE(inet.Protocol, int(icHTTP));

        // Folders of the mirror are made on the way.
        m_site->writeSiteFile(QStringLiteral("brand/new/page.html"), "new");
        QVERIFY(DownloadWebFile(inet, QStringLiteral("brand/new/page.html"), contents));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("brand/new/page.html"))), QByteArray("new"));
        QCOMPARE(m_services->shown.size(), 0);
    }

    void aMissingPageIsAFailureThatLosesNothing()
    {
        Inet inet;
        // As text: no message, the contents stay as they were.
        QString contents = QStringLiteral("before");
        QVERIFY(!DownloadWebFile(inet, QStringLiteral("qxg/nobody.dat"), contents));
        QCOMPARE(contents, QStringLiteral("before"));
        QCOMPARE(inet.HttpStatus(), 404);
        QCOMPARE(m_services->shown.size(), 0);

        // To file: the member hears of it and keeps the local copy and its backup.
        writeMirror(QStringLiteral("news/gone.html"), "my copy");
        writeMirror(QStringLiteral("news/gone.html.backup"), "older");
        contents = kSaveToFile;
        QVERIFY(!DownloadWebFile(inet, QStringLiteral("news/gone.html"), contents));
        QCOMPARE(m_services->shown.size(), 1);
        QCOMPARE(m_services->last().icon(), int(vbCritical));
        QVERIFY(m_services->last().prompt.contains(QStringLiteral("news/gone.html")));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/gone.html"))), QByteArray("my copy"));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/gone.html.backup"))), QByteArray("older"));

        m_site->writeSiteFile(QStringLiteral("news/here.html"), "x");
        contents.clear();
        QVERIFY(DownloadWebFile(inet, QStringLiteral("news/here.html"), contents));
        QCOMPARE(inet.HttpStatus(), 200);
    }

    void downloadAsTextKeepsEveryByte()
    {
        const QByteArray utf8 = QString::fromUtf8("Caf\u00e9 \u20ac\r\nna\u00efve").toUtf8();
        const QByteArray windows1252("Caf\xe9 \x80\r\n\x93quoted\x94", 18);
        m_site->writeSiteFile(QStringLiteral("qxg/utf8.dat"), utf8);
        m_site->writeSiteFile(QStringLiteral("qxg/ansi.dat"), windows1252);
        Inet inet;
        for (const QByteArray& bytes : {utf8, windows1252}) {
            const QString name =
                bytes == utf8 ? QStringLiteral("qxg/utf8.dat") : QStringLiteral("qxg/ansi.dat");
            QString contents;
            QVERIFY(DownloadWebFile(inet, name, contents));
            QVERIFY(contents.startsWith(QString::fromUtf8("Caf\u00e9 ")));
            QCOMPARE(SiteText::Encode(contents, SiteText::Detect(bytes)), bytes);
            // Text mode leaves the mirror alone.
            QVERIFY(!QFileInfo::exists(mirror(name)));
        }
    }

    void unreachableHostIsReportedAndNothingIsLost()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const int deadPort = probe.serverPort();
        probe.close();
        const QByteArray port = qgetenv("SKIFF_HTTP_PORT");
        qputenv("SKIFF_HTTP_PORT", QByteArray::number(deadPort));
        const auto restore = qScopeGuard([port] { qputenv("SKIFF_HTTP_PORT", port); });

        Inet inet;
        QString contents = QStringLiteral("unchanged");
        QVERIFY(!DownloadWebFile(inet, QStringLiteral("news/today.html"), contents));
        QCOMPARE(contents, QStringLiteral("unchanged"));
        QCOMPARE(
            m_services->last().prompt,
            QStringLiteral("Could not connect to 127.0.0.1:%1: Connection refused").arg(deadPort));
        QCOMPARE(m_services->last().icon(), int(vbCritical));

        // The member's copy stays where it is.
        writeMirror(QStringLiteral("news/today.html"), "my work");
        contents = kSaveToFile;
        QVERIFY(!DownloadWebFile(inet, QStringLiteral("news/today.html"), contents));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/today.html"))), QByteArray("my work"));
        QVERIFY(!QFileInfo::exists(mirror(QStringLiteral("news/today.html.backup"))));
    }

    void deleteRemovesTheServerFile()
    {
        m_site->writeSiteFile(QStringLiteral("news/old page.html"), "old");
        Inet inet;
        inet.Host = SiteConfig::Host();
        QVERIFY(DeleteWebFile(inet, QStringLiteral("news\\old page.html")));
        QVERIFY(!m_site->siteFileExists(QStringLiteral("news/old page.html")));
        QVERIFY(m_site->ftpLog().contains(
            QStringLiteral("DELE /users/tarnwardens/news/old page.html")));
        QCOMPARE(m_services->shown.size(), 0);
    }

    void namesWithBlanksGoBothWays()
    {
        Inet inet;
        writeMirror(QStringLiteral("news/my page.html"), "mine");
        QVERIFY(UploadWebFile(inet, QStringLiteral("news/my page.html")));
        QVERIFY(UploadWebFile(inet, QStringLiteral("news/my page.html")));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/my page.html")), QByteArray("mine"));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/my page.html.backup")),
                 QByteArray("mine"));
        QFile::remove(mirror(QStringLiteral("news/my page.html")));
        QString contents = kSaveToFile;
        QVERIFY(DownloadWebFile(inet, QStringLiteral("news/my page.html"), contents));
        QCOMPARE(ReadFileBytes(mirror(QStringLiteral("news/my page.html"))), QByteArray("mine"));
    }

    void theProxyIsUsedOnlyWhenOneIsSet()
    {
        m_site->writeSiteFile(QStringLiteral("news/p.html"), "page");
        writeMirror(QStringLiteral("news/up.html"), "up");

        // Without a proxy the access type stays as it was.
        Inet direct;
        direct.AccessType = icDirect;
        QString contents;
        QVERIFY(DownloadWebFile(direct, QStringLiteral("news/p.html"), contents));
        QVERIFY(UploadWebFile(direct, QStringLiteral("news/up.html")));
        QVERIFY(DeleteWebFile(direct, QStringLiteral("news/up.html")));
        QCOMPARE(direct.AccessType, int(icDirect));
        QCOMPARE(direct.Proxy, QString());

        // With one, everything goes through it (the site server is a proxy too).
        ProxyServer = QStringLiteral("127.0.0.1:%1").arg(m_site->httpPort());
        m_site->clearLog();
        Inet proxied;
        contents.clear();
        QVERIFY(DownloadWebFile(proxied, QStringLiteral("news/p.html"), contents));
        QCOMPARE(contents, QStringLiteral("page"));
        QCOMPARE(proxied.AccessType, int(icNamedProxy));
        QCOMPARE(proxied.Proxy, ProxyServer);
        QVERIFY(m_site->httpLog().contains(QStringLiteral("GET ") + SiteConfig::HttpBase() +
                                           QStringLiteral("news/p.html")));
        QVERIFY(UploadWebFile(proxied, QStringLiteral("news/up.html")));
        QCOMPARE(m_site->readSiteFile(QStringLiteral("news/up.html")), QByteArray("up"));
        QVERIFY(m_site->httpLog().contains(
            QStringLiteral("CONNECT 127.0.0.1:%1").arg(m_site->ftpPort())));
        QCOMPARE(m_services->shown.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWebFiles)
#include "tst_webfiles.moc"
