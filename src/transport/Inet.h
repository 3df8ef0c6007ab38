#pragma once
// The Internet transfer component: one instance per window, named inet.
//
// FTP commands run asynchronously, one after the other, on one persistent
// control connection per instance ("QUIT" closes it; the next command opens
// a fresh one and logs in again). HTTP downloads are synchronous for the
// caller but keep the windows painted. Progress is reported as the states
// 1 to 12; a failure ends an operation in state 11 with the server's reply
// in ResponseInfo and in the response text, never in an endless wait.
//
// Command vocabulary (letters and case as shown; names are passed as they
// stand, never quoted, spaces allowed):
//   "QUIT"                   close the connection
//   "cd folder"              change the server folder
//   "GET r l" / "get r l"    download r into l (relative to the working directory)
//   "send l r"               upload l as r
//   "rename old new"         rename on the server
//   "delete name"            delete on the server
//   "ls name"                the server's name listing (NLST); a missing name
//                            gives an empty listing
//   "LS folder"              the folder's entries, one per line with CR LF,
//                            subfolders ending in "/"
// Any other text is sent to the server as it stands and its reply becomes
// the response (members type such commands into the shared files window).

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

enum InetProtocol { icFTP = 2, icHTTP = 4 };
enum InetAccessType { icUseDefault = 0, icDirect = 1, icNamedProxy = 2 };
enum InetDataType { icString = 0, icByteArray = 1 };
// What a transfer of data moves: a file down or up, or a folder's listing.
enum InetTransfer { itDownload = 0, itUpload = 1, itListing = 2 };
enum InetState {
    icHostResolvingHost = 1,
    icHostResolved = 2,
    icConnecting = 3,
    icConnected = 4,
    icRequesting = 5,
    icRequestSent = 6,
    icReceivingResponse = 7,
    icResponseReceived = 8,
    icDisconnecting = 9,
    icDisconnected = 10,
    icError = 11,
    icResponseCompleted = 12,
};

class InetEngine;
class TransferLog;

class Inet : public QObject
{
    Q_OBJECT
public:
    explicit Inet(QObject* parent = nullptr);
    ~Inet() override;

    // Properties, read when an operation starts.
    QString Host;       // the site's host
    QString Document;   // document path
    QString UserName;
    QString Password;
    QString Proxy;      // "host:port"
    int AccessType = icUseDefault;
    int Protocol = icFTP;
    int RemotePort = 0; // 0 = the site's configured FTP port
    // The transfer log of the window this component belongs to, if it keeps
    // one: the web-site operations write a line per file into it.
    TransferLog* Log = nullptr;

    // Starts one FTP command; a command given while another runs waits its turn.
    // Refuses an empty text or one holding a line break with SkiffError.
    void Execute(const QString& operation);
    bool StillExecuting() const;

    // Synchronous HTTP GET. An HTTP error status still returns the body, as a
    // static host's error page; a failure to connect or a broken transfer
    // throws SkiffError with its description.
    QVariant OpenURL(const QString& url, int dataType = icString);
    QString OpenURLText(const QString& url);
    QByteArray OpenURLBytes(const QString& url);
    // The HTTP status of the last OpenURL's answer (404 for a missing page).
    int HttpStatus() const;

    // The next part of the last completed response; "" (or an empty array)
    // once it has all been read.
    QVariant GetChunk(int size, int dataType = icString);
    QString GetChunkText(int size = 1024);
    // The whole text of the last completed response, however much of it
    // GetChunk has handed out.
    QString LastResponse() const;

    // The server's reply to the operation that failed last.
    QString ResponseInfo() const;
    // Whether the last finished command failed without an answer from the
    // server (refused or lost connection, time-out, broken transfer), as
    // opposed to the server refusing it; ResponseInfo() then says why.
    bool LastCommandLostTheServer() const;
    // Whether the last finished command failed, for whatever reason.
    bool LastCommandFailed() const;

    // Abandons the running operation and the queued ones. A command that
    // was running counts as failed without an answer (LastCommandFailed,
    // LastCommandLostTheServer), so whoever waited for it follows its
    // failure path; an HTTP download under way throws its SkiffError.
    void Cancel();

    // Timeouts for every instance, in seconds (connect; a silent server or a
    // stalled transfer). Defaults 15 and 30; SKIFF_NET_TIMEOUT overrides both.
    static int ConnectTimeoutSeconds();
    static int StallTimeoutSeconds();

signals:
    void StateChanged(int state);
    // The last queued command has finished.
    void Idle();
    // A transfer of data (an FTP download, upload or folder listing, an
    // HTTP download) has begun; name is the file, folder or address as the
    // command gave it, kind an InetTransfer.
    void TransferStarted(int kind, const QString& name);
    // How far it has come: bytes so far, and the whole size where the
    // server gave it, else -1. Only between TransferStarted and
    // TransferFinished.
    void TransferProgress(qint64 done, qint64 total);
    // It has ended, completed, failed or cancelled.
    void TransferFinished();

private:
    friend class InetEngine;
    std::unique_ptr<InetEngine> m_engine;
};
