#pragma once
// One FTP control connection and what it has been told: runs the commands
// of one transfer component, one at a time, on the thread that owns it.
//
// libcurl sends its quote commands before it would change directory, and it
// may open a fresh connection without telling anyone, so the session keeps
// the server folder itself: "cd" sends CWD on the live connection (unless
// it is in that folder already), later names are sent as given, and a
// connection that had to be made anew is first taken back to that folder.
//
// Every protocol command is a round trip to a host that may be far away, so
// the session sends no more than each command needs: no SIZE before a
// download, "ls" of a name over the control connection (MLST) instead of a
// data connection, and what the server turned down once (MLST, MLSD, EPSV,
// SIZE, options of LIST) is not asked for again.
//
// An upload is verified: the server's SIZE of the new file, asked on the
// same connection right after the transfer, must be the number of bytes
// sent. A server without SIZE is taken at its end-of-transfer reply.

#include "CurlSupport.h"
#include "FtpCommand.h"
#include "TlsSupport.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct FtpEndpoint
{
    QString host;
    int port = 21;
    QString userName;
    QString password;
    NetworkOptions network;
    TlsSetup tls;

    bool sameSession(const FtpEndpoint& other) const
    {
        return host == other.host && port == other.port && userName == other.userName &&
               password == other.password && network.proxy == other.network.proxy &&
               tls.sameConnection(other.tls);
    }
};

struct FtpJob
{
    quint64 id = 0;
    FtpCommand command;
    QString localPath; // the command's local file, made absolute when it was given
    FtpEndpoint endpoint;
};

struct FtpOutcome
{
    bool ok = false;
    QByteArray response; // listing, reply lines, or the reason of a failure
    QString info;        // the reason of a failure
    bool refused = false; // the failure is the server's own reply, not a lost connection
    bool encrypted = false; // the control connection speaks TLS
    TlsProblem tlsProblem = TlsProblem::None;
    CertificateFacts certificate = {}; // what the server showed, when nothing vouched for it
};

// The size a server names in the reply that opens a transfer, as many do:
// "150 Opening BINARY mode data connection for a.txt (1234 bytes)."; -1
// when the reply names none (or one past belief).
qint64 AnnouncedTransferSize(const QByteArray& replyLine);

class FtpSession
{
public:
    using StateSink = std::function<void(int state)>;
    using StopCheck = std::function<bool()>;
    using ProgressSink = ProgressReporter::Sink;

    FtpSession();
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // Runs one command; the bytes of its data transfer, if any, go to
    // progress as they move.
    FtpOutcome run(const FtpJob& job, const StateSink& states, const StopCheck& shouldStop,
                   const ProgressSink& progress = {});
    // Makes a running command ask its StopCheck now; from any thread.
    void wakeup() { m_runner.wakeup(); }
    // Logs out (QUIT, reading the server's goodbye) and forgets the server
    // folder.
    void close();

    // Where libcurl reports to; public only for its C callbacks.
    void onSocketOpened(curl_socket_t socket);
    void onSocketClosed(curl_socket_t socket);
    void onProtocolLine(curl_infotype type, const QByteArray& line);
    void onResolving();

private:
    struct Exchange
    {
        QByteArray command; // empty for what the server says unasked (its greeting)
        int code = 0;       // 0 until the final line of the reply came
        int opening = 0;    // the code the reply began with
        QByteArray reply;   // the reply's lines, each ended by CR LF
    };

    CURL* prepare(const FtpJob& job, const QString& urlPath);
    // A control connection is open and the server has not closed it.
    bool connectionLive() const;
    bool needsFolderRestored() const;
    // The "QUIT" command: the session is over for the commands, and the
    // next command opens a new one. Its connection is ended once the next
    // session has been greeted, and no later: a server that pauses after
    // each session it ends (proftpd holds up new connections for 0.4 s)
    // then has the next one open already.
    void retire();
    // Ends the retired session, if any: goodbye (unless said), then closed.
    void endRetired();
    // Sends QUIT on a live control connection and reads the reply, so that
    // the server ends the session at its own pace; then shuts the socket
    // so that libcurl's own QUIT, sent as it closes, never reaches it.
    static void sayGoodbye(curl_socket_t socket);
    // Runs the transfer set up on the handle, after the given FTP commands
    // (whose refusal does not end the run) and, on a new connection, a
    // return to the session's folder.
    CURLcode perform(CURL* easy, const QStringList& commands = {});
    FtpOutcome failure(CURL* easy, CURLcode code);
    // The certificate the server shows, fetched on a connection of its own
    // that ends with the handshake.
    CertificateFacts probeCertificate(const FtpJob& job);
    const Exchange* lastFinishedExchange() const;
    const Exchange* exchangeFor(const QString& command) const;
    // The run ended on the server refusing the command of that word.
    bool serverRefused(const char* commandWord) const;
    void state(int value);

    FtpOutcome runQuoted(const FtpJob& job, const QStringList& commands);
    FtpOutcome changeFolder(const FtpJob& job, const QString& ftpCommand, const QString& target);
    FtpOutcome download(const FtpJob& job);
    FtpOutcome upload(const FtpJob& job);
    // The upload's outcome from the server's answer to SIZE (null: not asked).
    FtpOutcome verifiedUpload(const Exchange* sizeReply, const QString& remote, qint64 sent);
    FtpOutcome nameList(const FtpJob& job);
    FtpOutcome listing(const FtpJob& job, const QString& ftpCommand, QByteArray& data);
    FtpOutcome folderEntries(const FtpJob& job);
    // Which of a listing's symbolic links lead to folders.
    QSet<QByteArray> foldersAmongLinks(const FtpJob& job, const QString& folder,
                                       const QByteArrayList& links);

    CurlRunner m_runner;
    struct Retired
    {
        CURLM* connections = nullptr;
        curl_socket_t socket = CURL_SOCKET_BAD;
        bool goodbyeSaid = false;
    } m_retired;
    CURL* m_easy = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    FtpEndpoint m_endpoint;
    QString m_folder;    // absolute server folder; empty = where the login put us
    QString m_entryPath; // where the login put us, once known
    // What this server turned down; kept across QUIT, forgotten with the server.
    bool m_serverLacksMlst = false;
    bool m_serverLacksEpsv = false;
    bool m_serverLacksSize = false;
    bool m_serverLacksMlsd = false;
    bool m_serverLacksListOptions = false; // "LIST -a"
    curl_socket_t m_controlSocket = CURL_SOCKET_BAD;
    bool m_encrypted = false; // the control connection answered "AUTH TLS"
    bool m_inProxyReply = false;
    std::vector<Exchange> m_exchanges;
    const StateSink* m_states = nullptr;
    const StopCheck* m_shouldStop = nullptr;
    const ProgressSink* m_progressSink = nullptr;
    ProgressReporter m_progress;
    int m_lastState = 0;
    quint64 m_linesSeen = 0;
};
