// The transfer component against the replies of FTP servers other than the
// bundled one, recorded from proftpd and from servers without MLST or EPSV,
// and played back by a small scripted server: where the reply's form is the
// server's, the component must work with every form.

#include "InetRun.h"
#include "TestEnv.h"

#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

// An FTP server that answers as a recorded one did. Files and folders are
// absolute paths; the log holds "session: command" per line received.
class RecordedServer : public QObject
{
public:
    bool knowsMlst = true;
    bool knowsEpsv = true;
    bool knowsListOptions = true; // "LIST -a"; LIST without it leaves out dot files
    QMap<QByteArray, QByteArray> listings; // LIST of a folder, dot files too
    QMap<QByteArray, QByteArray> files;
    QList<QByteArray> folders;
    QStringList log;

    RecordedServer()
    {
        m_control.listen(QHostAddress::LocalHost);
        connect(&m_control, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_control.nextPendingConnection())
                startSession(socket);
        });
    }
    int port() const { return m_control.serverPort(); }
    QStringList commandsOf(int session) const
    {
        return log.filter(QRegularExpression(QStringLiteral("^%1: ").arg(session)));
    }

private:
    struct Session
    {
        int number = 0;
        QByteArray folder = "/";
        QByteArray pending;
        std::unique_ptr<QTcpServer> passive;
    };

    void startSession(QTcpSocket* socket)
    {
        auto session = std::make_shared<Session>();
        session->number = ++m_sessions;
        socket->write("220 ProFTPD Server (Debian) [127.0.0.1]\r\n");
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, session] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                log << QStringLiteral("%1: %2").arg(session->number).arg(QString::fromUtf8(line));
                answer(*socket, *session, line);
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QByteArray pathOf(const Session& session, const QByteArray& name) const
    {
        return name.startsWith('/') ? name
                                    : session.folder + (session.folder == "/" ? "" : "/") + name;
    }

    void answer(QTcpSocket& socket, Session& session, const QByteArray& line)
    {
        const int space = line.indexOf(' ');
        const QByteArray verb = line.left(space < 0 ? line.size() : space).toUpper();
        const QByteArray argument = space < 0 ? QByteArray() : line.mid(space + 1);
        const QByteArray path = pathOf(session, argument);
        if (verb == "USER")
            socket.write("331 Password required for pell\r\n");
        else if (verb == "PASS")
            socket.write("230 User pell logged in\r\n");
        else if (verb == "PWD")
            socket.write("257 \"" + session.folder + "\" is the current directory\r\n");
        else if (verb == "CWD" && folders.contains(path)) {
            session.folder = path;
            socket.write("250 CWD command successful\r\n");
        } else if (verb == "TYPE")
            socket.write("200 Type set to " + argument + "\r\n");
        else if (verb == "EPSV" && knowsEpsv)
            socket.write("229 Entering Extended Passive Mode (|||" +
                         QByteArray::number(openPassive(socket, session)) + "|)\r\n");
        else if (verb == "PASV") {
            const int port = openPassive(socket, session);
            socket.write("227 Entering Passive Mode (127,0,0,1," + QByteArray::number(port / 256) +
                         "," + QByteArray::number(port % 256) + ").\r\n");
        } else if (verb == "MLST" && knowsMlst && (files.contains(path) || folders.contains(path)))
            socket.write("250-Start of list for " + path + "\r\n modify=20240105100000;perm=adfr;" +
                         (folders.contains(path) ? "type=dir;" : "size=3;type=file;") +
                         "UNIX.mode=0644; " + path + "\r\n250 End of list\r\n");
        else if (verb == "NLST" && files.contains(path))
            sendData(socket, session, argument + "\r\n"); // proftpd: the name as asked
        else if (verb == "NLST" && folders.contains(path))
            sendData(socket, session, namesIn(path));
        else if (verb == "NLST")
            socket.write("450 " + argument + ": No such file or directory\r\n");
        else if (verb == "LIST")
            list(socket, session, argument);
        else if (verb == "RETR" && files.contains(path))
            sendData(socket, session, files.value(path));
        else if (verb == "CWD" || verb == "RETR" || (verb == "MLST" && knowsMlst))
            socket.write("550 " + argument + ": No such file or directory\r\n");
        else if (verb == "QUIT") {
            socket.write("221 Goodbye.\r\n");
            socket.disconnectFromHost();
        } else
            socket.write("500 " + verb + " not understood\r\n");
    }

    // As vsftpd: options before the path, dot files only with "-a". A
    // server without options takes "-a" for a name and finds nothing.
    void list(QTcpSocket& socket, Session& session, QByteArray argument)
    {
        const bool all = argument.startsWith("-a ");
        if (all)
            argument.remove(0, 3);
        QByteArray path = pathOf(session, argument);
        if (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        if ((all && !knowsListOptions) || !listings.contains(path)) {
            socket.write("550 No such file or directory\r\n");
            return;
        }
        QByteArray lines;
        for (const QByteArray& line : listings.value(path).split('\n')) {
            if (!line.isEmpty() && (all || !line.contains(" .")))
                lines += line + '\n';
        }
        sendData(socket, session, lines);
    }

    QByteArray namesIn(const QByteArray& folder) const
    {
        QByteArray names;
        for (const QByteArray& path : files.keys())
            if (path.startsWith(folder + "/"))
                names += path.mid(path.lastIndexOf('/') + 1) + "\r\n";
        return names;
    }

    int openPassive(QTcpSocket& control, Session& session)
    {
        session.passive = std::make_unique<QTcpServer>();
        session.passive->listen(QHostAddress::LocalHost);
        QTcpServer* passive = session.passive.get();
        connect(passive, &QTcpServer::newConnection, this, [this, &control, &session, passive] {
            QTcpSocket* data = passive->nextPendingConnection();
            if (!session.pending.isNull())
                deliver(control, *data, session);
            else
                m_waiting = data;
        });
        m_waiting = nullptr;
        return session.passive->serverPort();
    }

    void sendData(QTcpSocket& control, Session& session, const QByteArray& payload)
    {
        control.write("150 Opening BINARY mode data connection\r\n");
        session.pending = payload.isNull() ? QByteArray("") : payload;
        if (m_waiting)
            deliver(control, *std::exchange(m_waiting, nullptr), session);
    }

    void deliver(QTcpSocket& control, QTcpSocket& data, Session& session)
    {
        data.write(session.pending);
        data.waitForBytesWritten(1000);
        data.disconnectFromHost();
        session.pending = QByteArray();
        control.write("226 Transfer complete\r\n");
    }

    QTcpServer m_control;
    QTcpSocket* m_waiting = nullptr;
    int m_sessions = 0;
};

} // namespace

class TestFtpServers : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordedServer> m_server;
    std::unique_ptr<Inet> m_inet;
    std::unique_ptr<TestEnv> m_env;

private slots:
    void init()
    {
        qputenv("SKIFF_NET_TIMEOUT", "3");
        qputenv("SKIFF_TLS", "off"); // the replies of plain servers, as recorded
        m_env = std::make_unique<TestEnv>();
        m_server = std::make_unique<RecordedServer>();
        m_server->folders = {"/", "/users/tarnwardens", "/users/tarnwardens/qxg"};
        m_server->files = {{"/users/tarnwardens/qxg/notes.txt", "abc"},
                           {"/users/tarnwardens/qxg/plan.doc", "xyz"}};
        m_inet = std::make_unique<Inet>();
        m_inet->Host = QStringLiteral("127.0.0.1");
        m_inet->RemotePort = m_server->port();
        m_inet->UserName = QStringLiteral("pell");
        m_inet->Password = QStringLiteral("secret1234");
    }

    void cleanup()
    {
        m_inet.reset();
        m_server.reset();
        m_env.reset();
    }

    // "ls" is a test for the name in whatever the server lists: a base name,
    // the path as asked, the full path of MLST. A missing name lists nothing
    // whether the server says 450 or 550, and is no failure.
    void lsFindsTheNameInEveryServersListing_data()
    {
        QTest::addColumn<bool>("knowsMlst");
        QTest::newRow("MLST, full path") << true;
        QTest::newRow("NLST only, 450 for a missing name") << false;
    }

    void lsFindsTheNameInEveryServersListing()
    {
        QFETCH(bool, knowsMlst);
        m_server->knowsMlst = knowsMlst;
        QCOMPARE(Run(*m_inet, "cd /users/tarnwardens/qxg").state, int(icResponseCompleted));
        const Completion found = Run(*m_inet, "ls notes.txt");
        QCOMPARE(found.state, int(icResponseCompleted));
        QVERIFY2(found.response.contains("notes.txt"), qPrintable(found.response));
        QVERIFY(!found.response.contains("plan.doc"));
        const Completion missing = Run(*m_inet, "ls notes.txt.backup");
        QCOMPARE(missing.state, int(icResponseCompleted));
        QCOMPARE(missing.response, QString());
        const Completion byPath = Run(*m_inet, "ls /users/tarnwardens/qxg/plan.doc");
        QVERIFY2(byPath.response.contains("plan.doc"), qPrintable(byPath.response));
        const Completion folder = Run(*m_inet, "ls /users/tarnwardens/qxg");
        QVERIFY2(folder.response.contains("notes.txt") && folder.response.contains("plan.doc"),
                 qPrintable(folder.response));

        // A server without MLST is asked once, then only for NLST; a folder
        // MLST names is listed with NLST.
        const QStringList log = m_server->log;
        QCOMPARE(log.filter(" MLST ").size(), knowsMlst ? 4 : 1);
        QCOMPARE(log.filter(" NLST ").size(), knowsMlst ? 1 : 4);
    }

    // Hosts without MLSD (vsftpd) are listed with "LIST -a", so that dot
    // files show, or with plain LIST where the server takes no options;
    // what the server refused is asked once. Links to folders are folders,
    // and finding that out leaves the session where it was.
    void foldersOfServersWithoutMlsd_data()
    {
        QTest::addColumn<bool>("knowsListOptions");
        QTest::newRow("LIST -a") << true;
        QTest::newRow("plain LIST") << false;
    }
    void foldersOfServersWithoutMlsd()
    {
        QFETCH(bool, knowsListOptions);
        m_server->knowsListOptions = knowsListOptions;
        m_server->folders << "/users/tarnwardens/news" << "/users/tarnwardens/archive";
        m_server->listings = {
            {"/users/tarnwardens",
             "drwxr-xr-x    2 jun      1000         4096 Mar 04 09:12 news\r\n"
             "-rw-r--r--    1 jun      1000         2024 Mar 04 09:12 index.html\r\n"
             "-rw-r--r--    1 jun      1000           88 Oct 02  2021 .htaccess\r\n"
             "lrwxrwxrwx    1 jun      1000           15 Mar 04 09:13 latest.html -> news/a\r\n"
             "lrwxrwxrwx    1 jun      1000            4 Mar 04 09:13 archive -> news\r\n"},
            {"/users/tarnwardens/news",
             "-rw-r--r--    1 jun      1000           12 Mar 04 09:12 a\r\n"}};
        QCOMPARE(Run(*m_inet, "cd /users/tarnwardens/qxg").state, int(icResponseCompleted));
        const Completion site = Run(*m_inet, "LS /users/tarnwardens/");
        QCOMPARE(site.state, int(icResponseCompleted));
        QCOMPARE(site.response, QString(knowsListOptions ? "news/\r\nindex.html\r\n.htaccess\r\n"
                                                          "latest.html\r\narchive/\r\n"
                                                        : "news/\r\nindex.html\r\nlatest.html\r\n"
                                                          "archive/\r\n"));
        QCOMPARE(Run(*m_inet, "LS /users/tarnwardens/news").response, QString("a\r\n"));
        QCOMPARE(Run(*m_inet, "get notes.txt notes.txt").state, int(icResponseCompleted));
        QCOMPARE(m_env->readLocal("notes.txt"), QByteArray("abc"));
        const QStringList log = m_server->log;
        QCOMPARE(log.filter(" MLSD ").size(), 1);
        QCOMPARE(log.filter(" LIST -a ").size(), knowsListOptions ? 2 : 1);
        QCOMPARE(log.filter(QRegularExpression(" LIST /")).size(), knowsListOptions ? 0 : 2);
    }

    // A server without EPSV is asked once; later sessions go straight to PASV.
    void withoutEpsvTransfersUsePasvFromThenOn()
    {
        m_server->knowsEpsv = false;
        QCOMPARE(Run(*m_inet, "get /users/tarnwardens/qxg/notes.txt notes.txt").state,
                 int(icResponseCompleted));
        QCOMPARE(m_env->readLocal("notes.txt"), QByteArray("abc"));
        Run(*m_inet, "QUIT");
        QCOMPARE(Run(*m_inet, "get /users/tarnwardens/qxg/plan.doc plan.doc").state,
                 int(icResponseCompleted));
        QCOMPARE(m_env->readLocal("plan.doc"), QByteArray("xyz"));
        QCOMPARE(m_server->log.filter(" EPSV").size(), 1);
        QCOMPARE(m_server->commandsOf(2).filter(" PASV").size(), 1);
        // Downloads go without asking for the size first.
        QVERIFY(m_server->log.filter(" SIZE ").isEmpty());
    }

    // A session that is over is ended with QUIT once the next one has been
    // greeted, and before anything else is said on the new one.
    void quitEndsTheOldSessionWhenTheNextBegins()
    {
        Run(*m_inet, "cd /users/tarnwardens/qxg");
        Run(*m_inet, "QUIT");
        QVERIFY(m_server->commandsOf(1).filter("QUIT").isEmpty());
        QCOMPARE(Run(*m_inet, "cd /users/tarnwardens/qxg").state, int(icResponseCompleted));
        const int quit = m_server->log.indexOf("1: QUIT");
        QVERIFY2(quit >= 0 && quit < m_server->log.indexOf("2: USER pell"),
                 qPrintable(m_server->log.join('\n')));
        // The same folder on the same session again costs nothing.
        const int before = m_server->log.size();
        QCOMPARE(Run(*m_inet, "cd /users/tarnwardens/qxg/").state, int(icResponseCompleted));
        QCOMPARE(m_server->log.size(), before);
        QCOMPARE(Run(*m_inet, "cd /users/tarnwardens/nowhere").state, int(icError));
    }
};

QTEST_GUILESS_MAIN(TestFtpServers)
#include "tst_ftp_servers.moc"
