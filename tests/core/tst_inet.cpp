// The transfer component against the real local site: the command
// vocabulary, the queue and its states, responses, failures and time-outs,
// HTTP and the proxy. (Large files: bench_transfer.)

#include "SiteServer.h"
#include "TestEnv.h"
#include "app/Errors.h"
#include "app/SiteText.h"
#include "app/modSkiff.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/Wait.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// What one command ended with, read the way the windows read it: in the
// state handler, chunk by chunk.
struct Completion
{
    int state = 0;
    QString response;
};

class Recorder : public QObject
{
public:
    explicit Recorder(Inet& inet) : m_inet(inet)
    {
        connect(&inet, &Inet::StateChanged, this, [this](int state) {
            states.append(state);
            if (state != icResponseCompleted && state != icError)
                return;
            Completion completion{state, QString()};
            for (QString chunk = m_inet.GetChunkText(1024); !chunk.isEmpty();
                 chunk = m_inet.GetChunkText(1024))
                completion.response += chunk;
            completions.append(completion);
        });
    }
    QList<int> states;
    QList<Completion> completions;

private:
    Inet& m_inet;
};

std::unique_ptr<Inet> SiteComponent()
{
    auto inet = std::make_unique<Inet>();
    inet->Host = SiteConfig::Host();
    inet->UserName = SiteConfig::FtpUserName();
    inet->Password = SiteConfig::FtpPassword();
    return inet;
}

Completion Run(Inet& inet, const QString& command)
{
    Recorder recorder(inet);
    inet.Execute(command);
    Wait::UntilIdle(inet);
    return recorder.completions.value(0);
}

// Whether an "ls" response lists the name. The listing's form is the
// server's (a base name, a full path, one or more lines); only the name's
// presence in it is the rule.
bool Lists(const QString& response, const QString& name)
{
    return response.contains(name);
}

// True when the lines appear in the log in this order (other lines may
// come between them).
bool InOrder(const QStringList& log, const QStringList& lines)
{
    int at = 0;
    for (const QString& line : log) {
        if (at < lines.size() && line == lines.at(at))
            ++at;
    }
    return at == lines.size();
}

// Everything written to standard error (the file descriptor, so libcurl's
// own traces count too) and every Qt message, while it lives.
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        s_messages.clear();
        m_previousHandler = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { s_messages << text; });
        std::fflush(stderr);
        m_file.open();
        m_saved = ::dup(2);
        ::dup2(m_file.handle(), 2);
    }
    ~StandardErrorCapture()
    {
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        qInstallMessageHandler(m_previousHandler);
    }
    QByteArray written()
    {
        std::fflush(stderr);
        return ReadFileBytes(m_file.fileName()) + s_messages.join('\n').toUtf8();
    }

private:
    static inline QStringList s_messages;
    QTemporaryFile m_file;
    int m_saved = -1;
    QtMessageHandler m_previousHandler = nullptr;
};

// A port with nobody listening on it.
int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestInet : public QObject
{
    Q_OBJECT

    std::unique_ptr<SiteServer> m_site;
    std::unique_ptr<TestEnv> m_env;

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
        m_site->clearLog();
    }

    void cleanup() { m_env.reset(); }

    void cleanupTestCase() { m_site.reset(); }

    void folderEntriesMarkSubfoldersAndLeaveOutDotEntries()
    {
        m_site->writeSiteFile("entries/index.html", "i");
        m_site->writeSiteFile("entries/.hidden.txt", "h");
        m_site->writeSiteFile("entries/my file.txt", "m");
        m_site->writeSiteFile(QString::fromUtf8("entries/caf\u00e9.txt"), "c");
        m_site->writeSiteFile("entries/news/today.html", "t");
        QDir().mkpath(m_site->sitePath("entries/empty folder"));
        auto inet = SiteComponent();

        const Completion entries = Run(*inet, "LS /users/tarnwardens/entries");
        QCOMPARE(entries.state, 12);
        QStringList lines = entries.response.split("\r\n");
        QCOMPARE(lines.takeLast(), QString()); // every entry ends with CR LF
        lines.sort();
        QCOMPARE(lines, (QStringList{".hidden.txt", QString::fromUtf8("caf\u00e9.txt"),
                                     "empty folder/", "index.html", "my file.txt", "news/"}));

        // A file's path is listed too (the server's MLSD lists folders only).
        const Completion one = Run(*inet, "LS /users/tarnwardens/entries/my file.txt");
        QCOMPARE(one.state, 12);
        QCOMPARE(one.response, "my file.txt\r\n");
        QVERIFY(InOrder(m_site->ftpLog(), {"MLSD /users/tarnwardens/entries/my file.txt",
                                           "LIST /users/tarnwardens/entries/my file.txt"}));

        QCOMPARE(Run(*inet, "LS /users/tarnwardens/no such folder").state, 11);
        QCOMPARE(Run(*inet, "LS /users/tarnwardens/entries/empty folder").response, QString());
    }

    void failedDownloadsLeaveTheLocalFileAlone()
    {
        m_env->writeLocal("keep.txt", "precious");
        const QStringList before = QDir(m_env->localFolder()).entryList(QDir::Files);
        auto inet = SiteComponent();
        QCOMPARE(Run(*inet, "get /users/tarnwardens/missing.txt keep.txt").state, 11);
        QCOMPARE(m_env->readLocal("keep.txt"), QByteArray("precious"));
        QCOMPARE(QDir(m_env->localFolder()).entryList(QDir::Files), before);

        // A read-only copy is the member's: a download does not replace it.
        m_site->writeSiteFile("qxg/new.txt", "new");
        modSkiff::SetReadOnly(m_env->localPath("keep.txt"), true, true);
        QCOMPARE(Run(*inet, "get /users/tarnwardens/qxg/new.txt keep.txt").state, 11);
        QVERIFY(inet->ResponseInfo().contains("read-only"));
        modSkiff::SetReadOnly(m_env->localPath("keep.txt"), false, true);
        QCOMPARE(m_env->readLocal("keep.txt"), QByteArray("precious"));

        // A download that stalls half way ends in an error within the
        // time-out (libcurl judges the speed over the last five seconds, so
        // the bytes that did come count for a while) and leaves nothing
        // behind either.
        m_site->writeSiteFile("qxg/slow.bin", QByteArray(100000, 's'));
        m_site->stall("slow.bin");
        Recorder recorder(*inet);
        inet->Execute("get /users/tarnwardens/qxg/slow.bin keep.txt");
        QTRY_COMPARE_WITH_TIMEOUT(recorder.completions.size(), 1, (2 + 6 + 5) * 1000);
        QCOMPARE(recorder.completions.first().state, 11);
        QVERIFY2(inet->ResponseInfo().contains("stalled"), qPrintable(inet->ResponseInfo()));
        QCOMPARE(m_env->readLocal("keep.txt"), QByteArray("precious"));
        QCOMPARE(QDir(m_env->localFolder()).entryList(QDir::Files), before);
    }

    void queuedCommandsRunInOrderEachWithItsOwnResponse()
    {
        m_site->writeSiteFile("qxg/one.txt", "1");
        m_site->writeSiteFile("qxg/two.txt", "2");
        auto inet = SiteComponent();
        Recorder recorder(*inet);
        QSignalSpy idle(inet.get(), &Inet::Idle);
        for (const char* command :
             {"cd /users/tarnwardens/qxg", "ls one.txt", "ls two.txt", "ls ghost.txt"})
            inet->Execute(QString::fromLatin1(command));
        QVERIFY(inet->StillExecuting());
        Wait::UntilIdle(*inet);
        QVERIFY(!inet->StillExecuting());
        QCOMPARE(idle.count(), 1);
        QCOMPARE(recorder.completions.size(), 4);
        for (const Completion& completion : recorder.completions)
            QCOMPARE(completion.state, 12);
        QCOMPARE(recorder.completions.at(0).response, QString());
        QVERIFY(Lists(recorder.completions.at(1).response, QStringLiteral("one.txt")));
        QVERIFY(!Lists(recorder.completions.at(1).response, QStringLiteral("two.txt")));
        QVERIFY(Lists(recorder.completions.at(2).response, QStringLiteral("two.txt")));
        QCOMPARE(recorder.completions.at(3).response, QString());
        // The captions follow the connection and each request.
        const QList<int> firstCommand = recorder.states.mid(0, recorder.states.indexOf(12));
        for (int state : {icHostResolved, icConnecting, icConnected, icRequesting, icRequestSent,
                          icResponseReceived})
            QVERIFY2(firstCommand.contains(state), qPrintable(QString::number(state)));
    }

    void getChunkHandsOutTheLastResponseInPieces()
    {
        for (int i = 0; i < 30; ++i)
            m_site->writeSiteFile(QString::fromUtf8("chunks/f\u00e9%1.txt").arg(i), "x");
        auto inet = SiteComponent();
        const QString whole = Run(*inet, "LS /users/tarnwardens/chunks").response;
        QVERIFY(whole.size() > 200);
        // The recorder took the text; the whole of it and its bytes are still there.
        QCOMPARE(inet->GetChunkText(1024), QString());
        QCOMPARE(inet->LastResponse(), whole);
        QByteArray bytes;
        for (QByteArray part = inet->GetChunk(7, icByteArray).toByteArray(); !part.isEmpty();
             part = inet->GetChunk(7, icByteArray).toByteArray()) {
            QVERIFY(part.size() <= 7);
            bytes += part;
        }
        QCOMPARE(bytes, whole.toUtf8());
    }

    void invalidCommandsAreRefusedAtOnce()
    {
        auto inet = SiteComponent();
        QVERIFY_THROWS_EXCEPTION(SkiffError, inet->Execute(QString()));
        QVERIFY_THROWS_EXCEPTION(SkiffError, inet->Execute("delete a\r\nDELE b"));
        QVERIFY(!inet->StillExecuting());
        QCOMPARE(m_site->ftpLog(), QStringList());
    }

    void unreachableServersEndInErrorWhileEventsGoOn_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("nobody listening") << false;
        QTest::newRow("accepts and never answers") << true;
    }

    void unreachableServersEndInErrorWhileEventsGoOn()
    {
        QFETCH(bool, listening);
        QTcpServer silent;
        int port = FreePort();
        if (listening) {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            port = silent.serverPort();
        }
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);

        auto inet = SiteComponent();
        inet->RemotePort = port;
        Recorder recorder(*inet);
        inet->Execute("ls a.txt");
        // The bound: the time-out of 2 seconds and some slack for a busy machine.
        QVERIFY(Wait::UntilIdleAtMost(*inet, (2 + 5) * 1000));
        QCOMPARE(recorder.completions.value(0).state, 11);
        const QString endpoint = QStringLiteral("127.0.0.1:%1").arg(port);
        QVERIFY2(inet->ResponseInfo().contains(endpoint), qPrintable(inet->ResponseInfo()));
        if (!listening) {
            QCOMPARE(inet->ResponseInfo(),
                     QStringLiteral("Could not connect to %1: Connection refused").arg(endpoint));
        } else {
            QVERIFY(ticks > 10); // the event loop kept running while we waited
            QCOMPARE(recorder.completions.value(0).response, inet->ResponseInfo());
            // Which of libcurl's clocks runs out first on a busy machine varies.
            const QString silent = QStringLiteral("The server at %1 did not answer").arg(endpoint);
            QVERIFY2(inet->ResponseInfo().startsWith(silent), qPrintable(inet->ResponseInfo()));
        }
    }

    void httpReturnsPagesAndErrorPagesAsTheyAre()
    {
        const QByteArray utf8 =
            QString::fromUtf8("Caf\u00e9 \u20ac5\r\n<b>na\u00efve</b>").toUtf8();
        const QByteArray windows1252("Caf\xe9 \x80"
                                     "5\r\nna\xefve \x93quoted\x94",
                                     28);
        m_site->writeSiteFile("web/utf8 page.html", utf8);
        m_site->writeSiteFile("web/old.txt", windows1252);
        const QString base = SiteConfig::HttpBase() + "web/";
        auto inet = SiteComponent();

        for (const QByteArray& bytes : {utf8, windows1252}) {
            const QString name = bytes == utf8 ? "utf8 page.html" : "old.txt";
            const QString text = inet->OpenURLText(base + name);
            QVERIFY(text.startsWith(QString::fromUtf8("Caf\u00e9 ")));
            QCOMPARE(SiteText::Encode(text, SiteText::Detect(bytes)), bytes);
            QCOMPARE(inet->OpenURLBytes(base + name), bytes);
        }
        QVERIFY(inet->OpenURLText(base + "missing.html").contains("Not Found"));
        inet->OpenURLBytes(base + "old.txt?version=2");
        QVERIFY(m_site->httpLog().contains("GET /tarnwardens/web/old.txt?version=2"));
    }

    void httpFailuresThrowWithinTheBound()
    {
        auto inet = SiteComponent();
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        bool thrown = false;
        QTimer::singleShot((2 + 5) * 1000, [&] { inet->Cancel(); });
        try {
            inet->OpenURLText(QStringLiteral("http://127.0.0.1:%1/x").arg(silent.serverPort()));
        } catch (const SkiffError& error) {
            thrown = true;
            QVERIFY2(error.description().contains("stalled"), qPrintable(error.description()));
        }
        QVERIFY(thrown);

        // A page cut off half way is an error, not a shorter page.
        QTcpServer breaking;
        QVERIFY(breaking.listen(QHostAddress::LocalHost));
        connect(&breaking, &QTcpServer::newConnection, [&] {
            QTcpSocket* client = breaking.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, [client] {
                client->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly this");
                client->disconnectFromHost();
            });
        });
        try {
            inet->OpenURLText(QStringLiteral("http://127.0.0.1:%1/x").arg(breaking.serverPort()));
            QFAIL("no error for a broken page");
        } catch (const SkiffError& error) {
            QVERIFY2(error.description().startsWith(
                         QStringLiteral("The connection to 127.0.0.1:%1 broke off")
                             .arg(breaking.serverPort())),
                     qPrintable(error.description()));
        }
    }

    // The login's address carries the member's password in its query: a
    // message naming the address masks the query's values, and neither that
    // password nor the FTP account's reaches standard error.
    void passwordsNeverShowNorGoToStandardError()
    {
        StandardErrorCapture standardError;
        auto inet = SiteComponent();
        QCOMPARE(Run(*inet, "ls nothing.txt").state, int(icResponseCompleted));
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QTimer::singleShot(200, [&] { inet->Cancel(); });
        const QString file = QStringLiteral("http://127.0.0.1:%1/qxg/_files.dat?").arg(silent.serverPort());
        QCOMPARE(ErrorOf([&] { inet->OpenURLBytes(file + "username=Ann&password=heron"); }),
                 "The download of " + file + "username=***&password=*** was cancelled.");
        const QByteArray written = standardError.written();
        QVERIFY2(!written.contains("heron") &&
                     !written.contains(SiteConfig::FtpPassword().toUtf8()),
                 written.constData());
    }
};

QTEST_GUILESS_MAIN(TestInet)
#include "tst_inet.moc"
