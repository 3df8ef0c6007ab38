#include "Inet.h"

#include "CurlSupport.h"
#include "FtpWorker.h"
#include "HttpFetch.h"
#include "SiteConfig.h"
#include "TlsSupport.h"
#include "app/Errors.h"
#include "app/SiteText.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QQueue>
#include <QScopeGuard>
#include <QUrl>

#include <optional>

namespace {

// The transfer of data a command makes, if any (a name lookup, however it
// is answered, is not one a member needs to follow).
std::optional<InetTransfer> TransferOf(const FtpCommand& command)
{
    switch (command.kind) {
    case FtpCommand::Download: return itDownload;
    case FtpCommand::Upload: return itUpload;
    case FtpCommand::FolderEntries:
    case FtpCommand::LongList: return itListing;
    default: return std::nullopt;
    }
}

// The server's name of what the command moves.
QString TransferredName(const FtpCommand& command)
{
    return command.kind == FtpCommand::Upload ? command.second : command.first;
}

} // namespace

// The window-system side of the component: the queue of commands, the last
// response and the states as the window sees them. The FTP session itself
// runs on the worker's thread.
class InetEngine
{
public:
    explicit InetEngine(Inet& owner) : m_owner(owner) {}
    // The worker goes with its members (it stops reporting first); a fetch
    // still waiting further up the stack is told to give up.
    ~InetEngine()
    {
        for (const auto& fetch : m_fetches)
            fetch->abort();
    }

    void execute(const QString& operation);
    bool stillExecuting() const { return m_current != 0 || !m_queue.isEmpty(); }
    void cancel();
    QByteArray httpGet(const QString& url);
    int httpStatus() const { return m_httpStatus; }
    QVariant nextChunk(int size, int dataType);
    QString responseText();

    QString responseInfo;
    bool lostConnection = false;
    bool lastFailed = false;

private:
    FtpJob makeJob(const QString& operation) const;
    // One GET; under auto an https address the host does not serve is
    // fetched plain, and a certificate the member trusts on the spot is
    // tried again.
    QByteArray fetch(const QString& url);
    QString proxy() const;
    void dispatch(FtpJob job);
    void startNext();
    void onState(quint64 job, int state);
    void onDone(quint64 job, const FtpOutcome& outcome);
    void onProgress(quint64 job, qint64 done, qint64 total);
    // The FTP transfer of the current command is over, if it made one.
    void finishTransfer();

    Inet& m_owner;
    std::unique_ptr<FtpWorker> m_worker;
    QQueue<FtpJob> m_queue;
    quint64 m_lastJob = 0;
    quint64 m_current = 0; // the job on the worker whose outcome is awaited
    FtpJob m_currentJob;
    bool m_transferring = false; // the current job moves data (TransferStarted sent)
    bool m_busy = false;   // between the first command and Idle
    QList<std::shared_ptr<HttpFetch>> m_fetches;
    int m_httpStatus = 0;

    QByteArray m_response;
    QString m_responseText;
    bool m_responseDecoded = false;
    int m_bytesRead = 0;
    int m_charactersRead = 0;
};

QString InetEngine::proxy() const
{
    return m_owner.AccessType == icNamedProxy ? m_owner.Proxy : QString();
}

FtpJob InetEngine::makeJob(const QString& operation) const
{
    // Local names count from the working directory as it is now, not as it
    // may be when the command gets its turn.
    const QDir here = QDir::current();
    FtpJob job;
    job.command = ParseFtpCommand(operation, [&here](const QString& name) {
        return QFileInfo(here.absoluteFilePath(name)).isFile();
    });
    if (job.command.kind == FtpCommand::Download)
        job.localPath = here.absoluteFilePath(job.command.second);
    else if (job.command.kind == FtpCommand::Upload)
        job.localPath = here.absoluteFilePath(job.command.first);
    job.endpoint.host = m_owner.Host.isEmpty() ? SiteConfig::Host() : m_owner.Host;
    job.endpoint.port = m_owner.RemotePort != 0 ? m_owner.RemotePort : SiteConfig::FtpPort();
    job.endpoint.userName = m_owner.UserName;
    job.endpoint.password = m_owner.Password;
    job.endpoint.network = NetworkOptions::FromEnvironment(proxy());
    job.endpoint.tls = TlsSetupFor(QStringLiteral("ftp"), job.endpoint.host, job.endpoint.port);
    return job;
}

void InetEngine::execute(const QString& operation)
{
    // A line break would smuggle a second command to the server.
    if (operation.trimmed().isEmpty() || operation.contains(QLatin1Char('\r')) ||
        operation.contains(QLatin1Char('\n')))
        throw SkiffError(QStringLiteral("Invalid FTP command: \"%1\"").arg(operation));
    FtpJob job = makeJob(operation);
    job.id = ++m_lastJob;
    m_busy = true;
    if (m_current == 0 && m_queue.isEmpty())
        dispatch(std::move(job));
    else
        m_queue.enqueue(std::move(job));
}

void InetEngine::dispatch(FtpJob job)
{
    if (!m_worker) {
        m_worker = std::make_unique<FtpWorker>(
            &m_owner, [this](quint64 id, int state) { onState(id, state); },
            [this](quint64 id, const FtpOutcome& outcome) { onDone(id, outcome); },
            [this](quint64 id, qint64 done, qint64 total) { onProgress(id, done, total); });
    }
    m_current = job.id;
    m_currentJob = job;
    const std::optional<InetTransfer> transfer = TransferOf(job.command);
    const QString name = TransferredName(job.command);
    m_worker->submit(std::move(job));
    if (transfer) {
        m_transferring = true;
        emit m_owner.TransferStarted(*transfer, name);
    }
}

void InetEngine::startNext()
{
    if (m_current != 0)
        return;
    if (!m_queue.isEmpty()) {
        dispatch(m_queue.dequeue());
    } else if (m_busy) {
        m_busy = false;
        emit m_owner.Idle();
    }
}

void InetEngine::onState(quint64 job, int state)
{
    if (job == m_current)
        emit m_owner.StateChanged(state);
}

void InetEngine::onProgress(quint64 job, qint64 done, qint64 total)
{
    if (job == m_current && m_transferring)
        emit m_owner.TransferProgress(done, total);
}

void InetEngine::finishTransfer()
{
    if (!m_transferring)
        return;
    m_transferring = false;
    emit m_owner.TransferFinished();
}

void InetEngine::onDone(quint64 job, const FtpOutcome& outcome)
{
    if (job != m_current)
        return; // cancelled meanwhile
    const FtpEndpoint& endpoint = m_currentJob.endpoint;
    if (outcome.encrypted)
        RememberTlsAnswer(QStringLiteral("ftp"), endpoint.host, endpoint.port, endpoint.tls);
    if (!outcome.ok && OfferToTrust(outcome.tlsProblem, outcome.certificate, endpoint.host,
                                    endpoint.port)) {
        if (job != m_current)
            return; // cancelled while the member was asked
        m_currentJob.endpoint.tls = TlsSetupFor(QStringLiteral("ftp"), endpoint.host, endpoint.port);
        m_worker->submit(m_currentJob);
        return;
    }
    m_current = 0;
    m_response = outcome.response;
    m_responseText.clear();
    m_responseDecoded = false;
    m_bytesRead = 0;
    m_charactersRead = 0;
    if (!outcome.ok)
        responseInfo = outcome.info;
    lostConnection = !outcome.ok && !outcome.refused;
    lastFailed = !outcome.ok;
    QPointer<Inet> alive(&m_owner);
    finishTransfer();
    if (!alive)
        return;

    // Handlers read this command's response while the state is delivered;
    // the next command starts after them. Should a handler wait in an event
    // loop of its own, the queued start keeps the queue moving meanwhile.
    if (!m_queue.isEmpty())
        QMetaObject::invokeMethod(
            &m_owner, [this] { startNext(); }, Qt::QueuedConnection);
    emit m_owner.StateChanged(outcome.ok ? icResponseCompleted : icError);
    if (alive)
        startNext();
}

void InetEngine::cancel()
{
    m_queue.clear();
    if (m_worker)
        m_worker->cancelUpTo(m_lastJob);
    if (m_current != 0) {
        // Whoever waits for the command takes it as failed, and reads no
        // response of an earlier one as its own.
        responseInfo = QStringLiteral("The transfer was cancelled.");
        lostConnection = true;
        lastFailed = true;
        m_response.clear();
        m_responseText.clear();
        m_responseDecoded = false;
    }
    m_current = 0;
    for (const auto& fetch : m_fetches)
        fetch->abort();
    QPointer<Inet> alive(&m_owner);
    finishTransfer();
    if (alive)
        startNext();
}

QByteArray InetEngine::httpGet(const QString& url)
{
    emit m_owner.TransferStarted(itDownload, QUrl(url).path());
    QPointer<Inet> alive(&m_owner);
    const auto finished = qScopeGuard([&] {
        if (alive)
            emit m_owner.TransferFinished();
    });
    m_httpStatus = 0;
    return fetch(url);
}

QByteArray InetEngine::fetch(const QString& url)
{
    const QUrl address(url);
    const bool https = address.scheme() == QLatin1String("https");
    const int port = address.port(https ? 443 : 80);
    const TlsSetup tls = https ? TlsSetupFor(QStringLiteral("http"), address.host(), port)
                               : TlsSetup();
    auto request = std::make_shared<HttpFetch>(url, NetworkOptions::FromEnvironment(proxy()), tls);
    m_fetches.append(request);
    // The component may be destroyed while the fetch waits.
    QPointer<Inet> alive(&m_owner);
    request->setProgressHandler([alive](qint64 done, qint64 total) {
        if (alive)
            emit alive->TransferProgress(done, total);
    });
    const auto forget = qScopeGuard([&] {
        if (alive)
            m_fetches.removeOne(request);
    });
    QByteArray body;
    try {
        body = request->run();
    } catch (const SkiffError&) {
        if (!alive)
            throw;
        const TlsProblem problem = request->tlsProblem();
        if (problem == TlsProblem::NotOffered && !tls.required()) {
            const QString plain = SiteConfig::PlainAddress(url);
            if (plain != url)
                return fetch(plain);
        }
        if (OfferToTrust(problem, request->certificate(), address.host(), port))
            return fetch(url);
        throw;
    }
    if (https)
        RememberTlsAnswer(QStringLiteral("http"), address.host(), port, tls);
    m_httpStatus = request->status();
    return body;
}

QString InetEngine::responseText()
{
    if (!m_responseDecoded) {
        m_responseText = SiteText::Decode(m_response);
        m_responseDecoded = true;
    }
    return m_responseText;
}

QVariant InetEngine::nextChunk(int size, int dataType)
{
    const int wanted = qMax(0, size);
    if (dataType == icByteArray) {
        const QByteArray part = m_response.mid(m_bytesRead, wanted);
        m_bytesRead += part.size();
        return part;
    }
    const QString part = responseText().mid(m_charactersRead, wanted);
    m_charactersRead += part.size();
    return part;
}

// --- Inet

Inet::Inet(QObject* parent) : QObject(parent), m_engine(std::make_unique<InetEngine>(*this))
{
    EnsureCurlReady();
}

Inet::~Inet() = default;

void Inet::Execute(const QString& operation)
{
    m_engine->execute(operation);
}

bool Inet::StillExecuting() const
{
    return m_engine->stillExecuting();
}

QVariant Inet::OpenURL(const QString& url, int dataType)
{
    const QByteArray body = m_engine->httpGet(url);
    if (dataType == icByteArray)
        return body;
    return SiteText::Decode(body);
}

int Inet::HttpStatus() const { return m_engine->httpStatus(); }

QString Inet::OpenURLText(const QString& url)
{
    return OpenURL(url, icString).toString();
}

QByteArray Inet::OpenURLBytes(const QString& url)
{
    return OpenURL(url, icByteArray).toByteArray();
}

QVariant Inet::GetChunk(int size, int dataType)
{
    return m_engine->nextChunk(size, dataType);
}

QString Inet::GetChunkText(int size)
{
    return GetChunk(size, icString).toString();
}

QString Inet::LastResponse() const { return m_engine->responseText(); }

bool Inet::LastCommandLostTheServer() const { return m_engine->lostConnection; }

bool Inet::LastCommandFailed() const { return m_engine->lastFailed; }

QString Inet::ResponseInfo() const
{
    return m_engine->responseInfo;
}

void Inet::Cancel()
{
    m_engine->cancel();
}

int Inet::ConnectTimeoutSeconds()
{
    return NetworkOptions::FromEnvironment(QString()).connectSeconds;
}

int Inet::StallTimeoutSeconds()
{
    return NetworkOptions::FromEnvironment(QString()).stallSeconds;
}
