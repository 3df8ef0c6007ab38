#include "FtpSession.h"

#include "FolderListing.h"
#include "Inet.h"
#include "app/PartFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <QElapsedTimer>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// libcurl would end the session after a refused quote command; a leading
// "*" makes it go on, and the session reads the reply itself.
const QString kKeepGoing = QStringLiteral("*");

// How long the server may take to answer QUIT before the socket is closed
// all the same.
constexpr int kGoodbyeMs = 2000;

// The replies of a server that does not know a command (504: not for that
// argument).
bool notImplemented(int code)
{
    return code == 500 || code == 502 || code == 504;
}

// The refusals of a name listing that mean the name is not there (proftpd
// answers NLST with 450, most servers with 550). Any other refusal (a data
// connection the server could not open, a local error, a lost session)
// says nothing about the name: the listing failed.
bool meansNoSuchName(int code)
{
    return code == 450 || code == 550;
}

// "ls" of such a name is a pattern for the server to expand.
bool isPattern(const QString& name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// The quote commands of one run, freed with it.
class CommandList
{
public:
    CommandList() = default;
    CommandList(const CommandList&) = delete;
    CommandList& operator=(const CommandList&) = delete;
    ~CommandList() { curl_slist_free_all(m_list); }
    void add(const QString& command)
    {
        m_list = curl_slist_append(m_list, command.toUtf8().constData());
    }
    curl_slist* list() const { return m_list; }

private:
    curl_slist* m_list = nullptr;
};

QString withArgument(const char* word, const QString& argument)
{
    return argument.isEmpty() ? QLatin1String(word)
                              : QLatin1String(word) + QLatin1Char(' ') + argument;
}

// A name as the path of an ftp:// address. With no CWD of libcurl's own
// the decoded path goes to the server as it stands; a leading "/" needs
// encoding to survive as part of the name.
QByteArray urlPathOf(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')))
        return "%2F" + QUrl::toPercentEncoding(name.mid(1), "/");
    return QUrl::toPercentEncoding(name, "/");
}

bool isReplyLine(const QByteArray& line, int* code)
{
    if (line.size() < 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (line.at(i) < '0' || line.at(i) > '9')
            return false;
    }
    *code = line.left(3).toInt();
    return true;
}

// The entry of an MLST reply: " facts pathname" between the reply's first
// and last line.
struct MlstEntry
{
    bool found = false;
    bool folder = false;
    QByteArray pathname;
};

MlstEntry mlstEntryOf(const QByteArray& reply)
{
    MlstEntry entry;
    for (QByteArray line : reply.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        int code = 0;
        if (line.trimmed().isEmpty() || isReplyLine(line, &code))
            continue;
        if (line.startsWith(' '))
            line.remove(0, 1);
        const int space = line.indexOf(' ');
        if (space < 0)
            continue;
        for (const QByteArray& fact : line.left(space).split(';')) {
            const QByteArray lower = fact.toLower();
            if (lower.startsWith("type="))
                entry.folder = lower == "type=dir" || lower == "type=cdir" || lower == "type=pdir";
        }
        entry.pathname = line.mid(space + 1);
        entry.found = !entry.pathname.isEmpty();
        return entry;
    }
    return entry;
}

// Listings travel in ASCII mode, where libcurl turns the server's CR LF
// into LF on this platform; the callers look for CR LF.
QByteArray withCrLf(QByteArray lines)
{
    lines.replace("\r\n", "\n");
    lines.replace('\n', "\r\n");
    return lines;
}

FtpOutcome localFailure(const QString& reason)
{
    return {false, reason.toUtf8(), reason};
}

// --- libcurl callbacks

curl_socket_t openSocket(void* session, curlsocktype, curl_sockaddr* address)
{
    const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
    if (socket != CURL_SOCKET_BAD)
        static_cast<FtpSession*>(session)->onSocketOpened(socket);
    return socket;
}

int closeSocket(void* session, curl_socket_t socket)
{
    static_cast<FtpSession*>(session)->onSocketClosed(socket);
    return ::close(socket);
}

int protocolTrace(CURL*, curl_infotype type, char* data, size_t size, void* session)
{
    if (type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT)
        static_cast<FtpSession*>(session)->onProtocolLine(type, QByteArray(data, int(size)));
    return 0;
}

int resolverStarts(void*, void*, void* session)
{
    static_cast<FtpSession*>(session)->onResolving();
    return 0;
}

size_t writeToDevice(char* data, size_t size, size_t count, void* device)
{
    const qint64 bytes = qint64(size * count);
    return static_cast<QIODevice*>(device)->write(data, bytes) == bytes ? size_t(bytes) : 0;
}

size_t appendToArray(char* data, size_t size, size_t count, void* array)
{
    static_cast<QByteArray*>(array)->append(data, int(size * count));
    return size * count;
}

size_t readFromDevice(char* buffer, size_t size, size_t count, void* device)
{
    const qint64 bytes = static_cast<QIODevice*>(device)->read(buffer, qint64(size * count));
    return bytes < 0 ? CURL_READFUNC_ABORT : size_t(bytes);
}

} // namespace

qint64 AnnouncedTransferSize(const QByteArray& replyLine)
{
    // The last "(N bytes)": a file's own name may hold one too.
    static const QRegularExpression size(QStringLiteral("\\((\\d{1,18}) bytes?\\)"),
                                         QRegularExpression::CaseInsensitiveOption);
    qint64 bytes = -1;
    for (const QRegularExpressionMatch& match : size.globalMatch(QString::fromLatin1(replyLine)))
        bytes = match.captured(1).toLongLong();
    return bytes;
}

FtpSession::FtpSession() = default;

FtpSession::~FtpSession()
{
    close();
}

void FtpSession::close()
{
    endRetired();
    if (connectionLive() && !m_encrypted)
        sayGoodbye(m_controlSocket);
    m_runner.closeConnections();
    if (m_easy) {
        curl_easy_cleanup(m_easy);
        m_easy = nullptr;
    }
    m_folder.clear();
    m_entryPath.clear();
    m_controlSocket = CURL_SOCKET_BAD;
    m_encrypted = false;
}

FtpOutcome FtpSession::run(const FtpJob& job, const StateSink& states, const StopCheck& shouldStop,
                           const ProgressSink& progress)
{
    m_states = &states;
    m_shouldStop = &shouldStop;
    m_progressSink = &progress;
    m_lastState = 0;
    if (!m_endpoint.sameSession(job.endpoint)) {
        close();
        m_serverLacksMlst = false;
        m_serverLacksEpsv = false;
        m_serverLacksSize = false;
        m_serverLacksMlsd = false;
        m_serverLacksListOptions = false;
    }
    m_endpoint = job.endpoint;

    const FtpCommand& command = job.command;
    FtpOutcome outcome;
    switch (command.kind) {
    case FtpCommand::Quit:
        if (m_easy) {
            state(icDisconnecting);
            retire();
            state(icDisconnected);
        }
        outcome.ok = true;
        break;
    case FtpCommand::ChangeFolder:
        outcome = changeFolder(job, withArgument("CWD", command.first), command.first);
        break;
    case FtpCommand::ParentFolder:
        outcome = changeFolder(job, QStringLiteral("CDUP"), QStringLiteral(".."));
        break;
    case FtpCommand::Download:
        outcome = download(job);
        break;
    case FtpCommand::Upload:
        outcome = upload(job);
        break;
    case FtpCommand::Rename:
        outcome = runQuoted(
            job, {withArgument("RNFR", command.first), withArgument("RNTO", command.second)});
        if (outcome.ok)
            outcome.response.clear();
        break;
    case FtpCommand::Delete:
        outcome = runQuoted(job, {withArgument("DELE", command.first)});
        if (outcome.ok)
            outcome.response.clear();
        break;
    case FtpCommand::NameList:
        outcome = nameList(job);
        break;
    case FtpCommand::FolderEntries:
        outcome = folderEntries(job);
        break;
    case FtpCommand::LongList: {
        QByteArray lines;
        outcome = listing(job, withArgument("LIST", command.first), lines);
        if (outcome.ok)
            outcome.response = withCrLf(lines);
        break;
    }
    case FtpCommand::Raw:
        outcome = runQuoted(job, {command.first});
        break;
    }
    outcome.encrypted = m_encrypted && connectionLive();
    m_states = nullptr;
    m_shouldStop = nullptr;
    m_progressSink = nullptr;
    return outcome;
}

// --- the commands

FtpOutcome FtpSession::runQuoted(const FtpJob& job, const QStringList& commands)
{
    CURL* easy = prepare(job, QString());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    const CURLcode code = perform(easy, commands);
    if (code != CURLE_OK)
        return failure(easy, code);
    QByteArray replies;
    for (const QString& command : commands) {
        const Exchange* exchange = exchangeFor(command);
        if (exchange && exchange->code >= 400)
            return {false, exchange->reply, QString::fromUtf8(exchange->reply).trimmed(), true};
        if (exchange)
            replies += exchange->reply;
    }
    return {true, replies, {}};
}

FtpOutcome FtpSession::changeFolder(const FtpJob& job, const QString& ftpCommand,
                                    const QString& target)
{
    const QString here = m_folder.isEmpty() ? m_entryPath : m_folder;
    QString destination;
    if (target.isEmpty())
        destination = QStringLiteral("/");
    else if (target.startsWith(QLatin1Char('/')))
        destination = QDir::cleanPath(target);
    else if (!here.isEmpty())
        destination = QDir::cleanPath(here + QLatin1Char('/') + target);
    // Already there on a connection that is still open: nothing to ask.
    if (!here.isEmpty() && destination == here && connectionLive())
        return {true, {}, {}};
    FtpOutcome outcome = runQuoted(job, {ftpCommand});
    if (!outcome.ok)
        return outcome;
    const QString base = m_folder.isEmpty() ? m_entryPath : m_folder;
    m_folder = destination.isEmpty() ? QDir::cleanPath(base + QLatin1Char('/') + target)
                                     : destination;
    outcome.response.clear();
    return outcome;
}

FtpOutcome FtpSession::download(const FtpJob& job)
{
    PartFile file(job.localPath);
    QString problem;
    if (!file.open(&problem))
        return localFailure(
            QStringLiteral("Cannot write the local file %1: %2").arg(job.localPath, problem));
    CURL* easy = prepare(job, QString::fromLatin1(urlPathOf(job.command.first)));
    // No SIZE first: the server's end-of-transfer reply says whether all of
    // it came, and a round trip per file is what a far host costs most.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeToDevice);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, file.device());
    m_progress.attach(easy, *m_progressSink);
    const CURLcode code = perform(easy);
    m_progress.finish();
    if (code != CURLE_OK)
        return failure(easy, code);
    if (!file.commit(&problem))
        return localFailure(
            QStringLiteral("Cannot write the local file %1: %2").arg(job.localPath, problem));
    return {true, {}, {}};
}

FtpOutcome FtpSession::upload(const FtpJob& job)
{
    if (!QFileInfo(job.localPath).isFile())
        return localFailure(QStringLiteral("The local file %1 does not exist.").arg(job.localPath));
    QFile file(job.localPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return localFailure(QStringLiteral("Cannot read the local file %1: %2")
                                .arg(job.localPath, file.errorString()));
    CURL* easy = prepare(job, QString::fromLatin1(urlPathOf(job.command.second)));
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, readFromDevice);
    curl_easy_setopt(easy, CURLOPT_READDATA, static_cast<QIODevice*>(&file));
    curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    // The server's size of the new file, asked on the same connection right
    // after the transfer: one round trip, and the only way to see a file the
    // server cut short or lost while still saying the transfer was complete.
    const QString sizeCommand = withArgument("SIZE", job.command.second);
    CommandList verify;
    if (!m_serverLacksSize)
        verify.add(kKeepGoing + sizeCommand);
    curl_easy_setopt(easy, CURLOPT_POSTQUOTE, verify.list());
    m_progress.attach(easy, *m_progressSink);
    const CURLcode code = perform(easy);
    m_progress.finish();
    curl_easy_setopt(easy, CURLOPT_POSTQUOTE, nullptr);
    if (code != CURLE_OK)
        return failure(easy, code);
    curl_off_t sent = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    return verifiedUpload(exchangeFor(sizeCommand), job.command.second, qint64(sent));
}

FtpOutcome FtpSession::verifiedUpload(const Exchange* sizeReply, const QString& remote,
                                      qint64 sent)
{
    if (!sizeReply || sizeReply->code == 0)
        return {true, {}, {}}; // not asked
    const int code = sizeReply->code;
    if (code == 213) {
        const QByteArray line = sizeReply->reply.trimmed();
        bool isNumber = false;
        const qint64 held = line.mid(4).trimmed().toLongLong(&isNumber);
        if (!isNumber || held == sent)
            return {true, {}, {}};
        const QString why = QStringLiteral("the server holds %1 of the %2 bytes sent for %3")
                                .arg(held)
                                .arg(sent)
                                .arg(remote);
        return {false, why.toUtf8(), why, true};
    }
    if (meansNoSuchName(code)) {
        const QString why = QStringLiteral("%1 is not on the server after the upload: %2")
                                .arg(remote, QString::fromUtf8(sizeReply->reply).trimmed());
        return {false, why.toUtf8(), why, true};
    }
    // A server without SIZE is taken at its word, the end-of-transfer reply.
    if (notImplemented(code))
        m_serverLacksSize = code != 504;
    return {true, {}, {}};
}

FtpOutcome FtpSession::nameList(const FtpJob& job)
{
    const QString& name = job.command.first;
    // One name is looked up on the control connection, without the data
    // connection (and the switch to ASCII) a listing costs. Its listing is
    // the path the server names it by. Folders (whose listing is their
    // names), patterns and servers without MLST get the server's NLST.
    if (!m_serverLacksMlst && !name.isEmpty() && !isPattern(name)) {
        const QString command = withArgument("MLST", name);
        FtpOutcome outcome = runQuoted(job, {command});
        const Exchange* reply = exchangeFor(command);
        if (!reply || reply->code == 0)
            return outcome; // the connection broke
        if (outcome.ok) {
            const MlstEntry entry = mlstEntryOf(reply->reply);
            if (entry.found && !entry.folder)
                return {true, entry.pathname + "\r\n", {}};
        } else if (notImplemented(reply->code)) {
            m_serverLacksMlst = reply->code != 504;
        } else if (meansNoSuchName(reply->code)) {
            return {true, {}, {}}; // a missing name lists nothing
        } else {
            return outcome;
        }
    }
    QByteArray names;
    FtpOutcome outcome = listing(job, withArgument("NLST", name), names);
    const Exchange* last = lastFinishedExchange();
    if (outcome.ok)
        outcome.response = withCrLf(names);
    else if (serverRefused("NLST") && meansNoSuchName(last->code))
        outcome = {true, {}, {}};
    return outcome;
}

FtpOutcome FtpSession::listing(const FtpJob& job, const QString& ftpCommand, QByteArray& data)
{
    // On the address of the root with a command of our own, libcurl sends
    // exactly that command for the listing and nothing else.
    CURL* easy = prepare(job, QString());
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, ftpCommand.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendToArray);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &data);
    m_progress.attach(easy, *m_progressSink);
    const CURLcode code = perform(easy);
    m_progress.finish();
    if (code != CURLE_OK)
        return failure(easy, code);
    return {true, {}, {}};
}

FtpOutcome FtpSession::folderEntries(const FtpJob& job)
{
    const QString& folder = job.command.first;
    const QByteArray listedPath = folder.toUtf8();
    const FolderListing::FolderLinks folderLinks = [&](const QByteArrayList& links) {
        return foldersAmongLinks(job, folder, links);
    };
    QByteArray data;
    if (!m_serverLacksMlsd) {
        FtpOutcome outcome = listing(job, withArgument("MLSD", folder), data);
        if (outcome.ok) {
            outcome.response = FolderListing::FromMlsd(data, listedPath, folderLinks);
            return outcome;
        }
        // Servers without MLSD, and folders it will not list, get a LIST.
        if (!serverRefused("MLSD"))
            return outcome;
        const int code = lastFinishedExchange()->code;
        if (notImplemented(code))
            m_serverLacksMlsd = code != 504;
        data.clear();
    }
    // Unix servers leave dot files (".htaccess") out of a LIST unless asked
    // with "-a"; a server that takes no options gets the plain LIST.
    if (!m_serverLacksListOptions) {
        const QString all = QStringLiteral("-a ") + folder;
        FtpOutcome outcome = listing(job, withArgument("LIST", all.trimmed()), data);
        if (outcome.ok) {
            outcome.response = FolderListing::FromList(data, listedPath, folderLinks);
            return outcome;
        }
        if (!serverRefused("LIST"))
            return outcome;
        data.clear();
    }
    FtpOutcome outcome = listing(job, withArgument("LIST", folder), data);
    if (!outcome.ok)
        return outcome;
    m_serverLacksListOptions = true;
    outcome.response = FolderListing::FromList(data, listedPath, folderLinks);
    return outcome;
}

QSet<QByteArray> FtpSession::foldersAmongLinks(const FtpJob& job, const QString& folder,
                                               const QByteArrayList& links)
{
    // Whether a link leads to a folder is whether the server lets us go
    // there: one CWD per link, then back to where the session was, all on
    // the control connection. A listing full of links costs no more than
    // kMaxLinksAsked of them; the rest show as files.
    constexpr int kMaxLinksAsked = 32;
    const QString here = m_folder.isEmpty() ? m_entryPath : m_folder;
    if (here.isEmpty())
        return {};
    const QString base =
        folder.startsWith(QLatin1Char('/')) ? folder : here + QLatin1Char('/') + folder;
    QStringList commands;
    for (const QByteArray& link : links.mid(0, kMaxLinksAsked))
        commands << QStringLiteral("CWD ") + QDir::cleanPath(base + QLatin1Char('/') +
                                                           QString::fromUtf8(link));
    const QString back = QStringLiteral("CWD ") + here;
    commands << back;
    runQuoted(job, commands);
    QSet<QByteArray> folders;
    for (int i = 0; i + 1 < commands.size(); ++i) {
        const Exchange* reply = exchangeFor(commands.at(i));
        if (reply && reply->code >= 200 && reply->code < 300)
            folders.insert(links.at(i));
    }
    const Exchange* returned = exchangeFor(back);
    if (!returned || returned->code < 200 || returned->code >= 300) {
        // Somewhere else now: the next command starts on a new connection,
        // which is taken back to the session's folder first.
        m_runner.closeConnections();
        m_controlSocket = CURL_SOCKET_BAD;
    }
    return folders;
}

// --- running one transfer

// The endpoint's address with a path, and its way through the network.
void setAddress(CURL* easy, const FtpEndpoint& endpoint, const QString& urlPath)
{
    const QString host = endpoint.host.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + endpoint.host + QLatin1Char(']')
                             : endpoint.host;
    const QString url = QStringLiteral("ftp://%1:%2/%3").arg(host).arg(endpoint.port).arg(urlPath);
    curl_easy_setopt(easy, CURLOPT_URL, url.toUtf8().constData());
    ApplyNetworkOptions(easy, endpoint.network);
    if (!endpoint.network.proxy.isEmpty())
        curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
}

CURL* FtpSession::prepare(const FtpJob& job, const QString& urlPath)
{
    if (m_easy)
        curl_easy_reset(m_easy);
    else
        m_easy = curl_easy_init();
    CURL* easy = m_easy;
    setAddress(easy, job.endpoint, urlPath);
    ApplyTls(easy, job.endpoint.tls, true);
    UseSharedTlsSessions(easy);
    curl_easy_setopt(easy, CURLOPT_USERNAME, job.endpoint.userName.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, job.endpoint.password.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, protocolTrace);
    curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_FUNCTION, resolverStarts);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_DATA, this);
    if (m_serverLacksEpsv)
        curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 0L);
    return easy;
}

bool FtpSession::connectionLive() const
{
    if (m_controlSocket == CURL_SOCKET_BAD)
        return false;
    // libcurl drops a kept connection that has something to read (the
    // server said goodbye or hung up) and makes a new one, which starts
    // wherever the login puts it.
    pollfd control = {m_controlSocket, POLLIN, 0};
    return ::poll(&control, 1, 0) == 0;
}

bool FtpSession::needsFolderRestored() const
{
    return !m_folder.isEmpty() && !connectionLive();
}

void FtpSession::retire()
{
    endRetired();
    if (connectionLive() && !m_encrypted) {
        m_retired.connections = m_runner.takeConnections();
        m_retired.socket = m_controlSocket;
    } else {
        // An encrypted session says goodbye through libcurl, now: the
        // goodbye cannot be sent beside it on the socket.
        m_runner.closeConnections();
    }
    m_controlSocket = CURL_SOCKET_BAD;
    m_encrypted = false;
    m_folder.clear();
    m_entryPath.clear();
}

void FtpSession::endRetired()
{
    if (!m_retired.connections)
        return;
    if (!m_retired.goodbyeSaid)
        sayGoodbye(m_retired.socket);
    curl_multi_cleanup(m_retired.connections);
    m_retired = {};
}

void FtpSession::sayGoodbye(curl_socket_t socket)
{
    pollfd open = {socket, POLLIN, 0};
    if (::poll(&open, 1, 0) != 0)
        return; // the server has hung up or said goodbye itself
    static const char kQuit[] = "QUIT\r\n";
    if (::send(socket, kQuit, sizeof kQuit - 1, MSG_NOSIGNAL) == ssize_t(sizeof kQuit - 1)) {
        QElapsedTimer waited;
        waited.start();
        QByteArray reply;
        for (bool done = false; !done;) {
            const int left = kGoodbyeMs - int(waited.elapsed());
            pollfd control = {socket, POLLIN, 0};
            if (left <= 0 || ::poll(&control, 1, left) <= 0)
                break;
            char buffer[512];
            const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
            if (got <= 0)
                break; // the server has closed its side
            reply.append(buffer, int(got));
            // The reply is complete with its last line ("221 Goodbye.").
            for (const QByteArray& line : reply.split('\n')) {
                int code = 0;
                if (line.endsWith('\r') && isReplyLine(line, &code) &&
                    (line.at(3) == ' ' || line.at(3) == '\r'))
                    done = true;
            }
        }
    }
    ::shutdown(socket, SHUT_RDWR);
}

CURLcode FtpSession::perform(CURL* easy, const QStringList& commands)
{
    m_exchanges.clear();
    m_inProxyReply = false;
    m_errorBuffer[0] = '\0';
    // libcurl sends these after the login and before the transfer.
    CommandList quote;
    if (needsFolderRestored())
        quote.add(QStringLiteral("CWD ") + m_folder);
    for (const QString& command : commands)
        quote.add(kKeepGoing + command);
    curl_easy_setopt(easy, CURLOPT_QUOTE, quote.list());
    const CURLcode code = m_runner.run(easy, *m_shouldStop, [this] { return m_linesSeen; });
    curl_easy_setopt(easy, CURLOPT_QUOTE, nullptr);
    endRetired();
    // libcurl falls back to PASV on each new connection; once is enough.
    for (const Exchange& exchange : m_exchanges) {
        if (exchange.command == "EPSV" && notImplemented(exchange.code))
            m_serverLacksEpsv = true;
    }
    if (m_entryPath.isEmpty()) {
        const char* entryPath = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_FTP_ENTRY_PATH, &entryPath) == CURLE_OK && entryPath)
            m_entryPath = QString::fromUtf8(entryPath);
    }
    return code;
}

FtpOutcome FtpSession::failure(CURL* easy, CURLcode code)
{
    const QString endpoint = QStringLiteral("%1:%2").arg(m_endpoint.host).arg(m_endpoint.port);
    const TlsSetup& tls = m_endpoint.tls;
    const TlsProblem problem = TlsProblemOf(easy, code, m_errorBuffer, tls, true);
    if (problem != TlsProblem::None) {
        FtpOutcome outcome = localFailure(
            DescribeTlsProblem(problem, endpoint, QString::fromLocal8Bit(m_errorBuffer)));
        outcome.tlsProblem = problem;
        if (problem == TlsProblem::Untrusted || problem == TlsProblem::Changed) {
            const FtpJob job{0, {}, {}, m_endpoint};
            outcome.certificate = probeCertificate(job);
        }
        return outcome;
    }
    // Where the server's refusal ended the run, its reply says it best.
    const Exchange* last = lastFinishedExchange();
    if (last && last->code >= 400 && code != CURLE_ABORTED_BY_CALLBACK) {
        const QString reply = QString::fromUtf8(last->reply).trimmed();
        const QByteArray verb = last->command.left(4).toUpper();
        if (!tls.tried() && (verb == "USER" || verb == "PASS") && ReplyAsksForTls(last->reply))
            return {false, last->reply, TlsRequiredButOffMessage(endpoint, reply), true};
        return {false, last->reply, reply, true};
    }
    return localFailure(
        DescribeFailure(FailureOf(easy, code, m_errorBuffer, endpoint), m_endpoint.network));
}

CertificateFacts FtpSession::probeCertificate(const FtpJob& job)
{
    CURL* easy = curl_easy_init();
    setAddress(easy, job.endpoint, QString());
    ApplyCertificateProbe(easy, job.endpoint.tls, true);
    CurlRunner runner;
    runner.run(easy, m_shouldStop ? *m_shouldStop : StopCheck([] { return false; }));
    const CertificateFacts facts = CertificateOf(easy);
    curl_easy_cleanup(easy);
    return facts;
}

const FtpSession::Exchange* FtpSession::lastFinishedExchange() const
{
    for (auto it = m_exchanges.rbegin(); it != m_exchanges.rend(); ++it) {
        if (it->code != 0)
            return &*it;
    }
    return nullptr;
}

const FtpSession::Exchange* FtpSession::exchangeFor(const QString& command) const
{
    const QByteArray sent = command.toUtf8();
    for (auto it = m_exchanges.rbegin(); it != m_exchanges.rend(); ++it) {
        if (it->command == sent)
            return &*it;
    }
    return nullptr;
}

bool FtpSession::serverRefused(const char* commandWord) const
{
    const Exchange* last = lastFinishedExchange();
    return last && last->code >= 400 &&
           last->command.split(' ').first().compare(commandWord, Qt::CaseInsensitive) == 0;
}

void FtpSession::state(int value)
{
    if (m_states && value != m_lastState) {
        m_lastState = value;
        (*m_states)(value);
    }
}

// --- what libcurl reports

void FtpSession::onResolving()
{
    state(icHostResolvingHost);
}

void FtpSession::onSocketOpened(curl_socket_t socket)
{
    // The first socket of a session is its control connection; the others
    // carry data.
    if (m_controlSocket != CURL_SOCKET_BAD)
        return;
    m_controlSocket = socket;
    state(icHostResolved);
    state(icConnecting);
}

void FtpSession::onSocketClosed(curl_socket_t socket)
{
    if (socket == m_controlSocket)
        m_controlSocket = CURL_SOCKET_BAD;
}

void FtpSession::onProtocolLine(curl_infotype type, const QByteArray& line)
{
    ++m_linesSeen;
    QByteArray text = line;
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    if (type == CURLINFO_HEADER_OUT) {
        // A tunnel through the proxy starts with an HTTP request and its
        // reply, which are not the server's.
        if (text.startsWith("CONNECT ")) {
            m_inProxyReply = true;
            return;
        }
        m_exchanges.push_back({text, 0, 0, {}});
        state(icRequesting);
        state(icRequestSent);
        return;
    }
    if (m_inProxyReply) {
        if (text.isEmpty())
            m_inProxyReply = false;
        return;
    }
    if (m_exchanges.empty()) {
        state(icConnected); // the greeting of a new connection
        m_exchanges.push_back({});
        m_encrypted = false;
        if (m_retired.connections) {
            sayGoodbye(m_retired.socket);
            m_retired.goodbyeSaid = true;
        }
    }
    int code = 0;
    const bool numbered = isReplyLine(text, &code);
    Exchange* exchange = &m_exchanges.back();
    if (exchange->code >= 200) {
        m_exchanges.push_back({});
        exchange = &m_exchanges.back();
    }
    if (exchange->opening == 0 || exchange->code != 0) {
        // A new reply, or the final one after a preliminary 1xx.
        exchange->reply.clear();
        exchange->code = 0;
        exchange->opening = numbered ? code : -1;
    }
    exchange->reply += text + "\r\n";
    if (numbered && (code == 150 || code == 125))
        m_progress.setAnnouncedTotal(AnnouncedTransferSize(text));
    const bool final =
        numbered && code == exchange->opening && (text.size() == 3 || text.at(3) == ' ');
    if (final) {
        exchange->code = code;
        if (code == 234 && exchange->command.toUpper().startsWith("AUTH"))
            m_encrypted = true;
        state(icResponseReceived);
    } else {
        state(icReceivingResponse);
    }
}
