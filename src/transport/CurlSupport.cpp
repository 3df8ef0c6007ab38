#include "CurlSupport.h"

#include <openssl/ssl.h>

#include <chrono>
#include <cstring>

namespace {

// Big buffers keep large files near the speed of the link; smaller ones
// cost a system call per few kilobytes.
constexpr long kReceiveBufferBytes = 512 * 1024;
constexpr long kSendBufferBytes = 512 * 1024;
// An idle FTP session stays usable however long the member pauses; libcurl
// would otherwise drop it after two minutes and lose the server folder.
constexpr long kKeepIdleConnectionsSeconds = 7L * 24 * 3600;
constexpr int kWakeAtLeastEveryMs = 1000;

int secondsFromEnvironment(int fallback)
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("SKIFF_NET_TIMEOUT", &ok);
    return ok && seconds > 0 ? seconds : fallback;
}

int reportProgress(void* reporter, curl_off_t downTotal, curl_off_t downNow,
                   curl_off_t upTotal, curl_off_t upNow)
{
    static_cast<ProgressReporter*>(reporter)->onProgress(downTotal, downNow, upTotal, upNow);
    return 0; // cancelling is the runner's business
}

CURLSH* SharedTlsSessions()
{
    static std::mutex mutex;
    static CURLSH* const share = [] {
        CURLSH* made = curl_share_init();
        curl_share_setopt(made, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        curl_share_setopt(made, CURLSHOPT_LOCKFUNC,
                          +[](CURL*, curl_lock_data, curl_lock_access, void*) { mutex.lock(); });
        curl_share_setopt(made, CURLSHOPT_UNLOCKFUNC,
                          +[](CURL*, curl_lock_data, void*) { mutex.unlock(); });
        return made;
    }();
    return share;
}

// Before the hello goes out: the connection gets its own copy of the
// session libcurl chose for it (one of the same server and settings), so
// that OpenSSL marks the copy spent and the kept one stays good. The copy
// carries the server's certificate and its verification, which libcurl
// checks on a resumed connection as on any other.
void resumeFromACopy(const SSL* constConnection, int where, int)
{
    SSL* connection = const_cast<SSL*>(constConnection);
    if (!(where & SSL_CB_HANDSHAKE_START) || !SSL_in_before(connection))
        return;
    SSL_SESSION* kept = SSL_get_session(connection);
    if (!kept || !SSL_SESSION_is_resumable(kept))
        return;
    if (SSL_SESSION* copy = SSL_SESSION_dup(kept)) {
        SSL_set_session(connection, copy);
        SSL_SESSION_free(copy);
    }
}

CURLcode prepareTlsContext(CURL*, void* context, void*)
{
    SSL_CTX* tls = static_cast<SSL_CTX*>(context);
    if (!SSL_CTX_get_info_callback(tls))
        SSL_CTX_set_info_callback(tls, resumeFromACopy);
    return CURLE_OK;
}

// The context libcurl hands over is OpenSSL's only when libcurl runs on it.
bool curlRunsOnOpenSsl()
{
    static const bool openSsl = [] {
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        return info->ssl_version &&
               std::strncmp(info->ssl_version, "OpenSSL/", std::strlen("OpenSSL/")) == 0;
    }();
    return openSsl;
}

} // namespace

void UseSharedTlsSessions(CURL* easy)
{
    curl_easy_setopt(easy, CURLOPT_SHARE, SharedTlsSessions());
    if (curlRunsOnOpenSsl())
        curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, prepareTlsContext);
}

void EnsureCurlReady()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

NetworkOptions NetworkOptions::FromEnvironment(const QString& proxy)
{
    NetworkOptions options;
    options.proxy = proxy;
    options.connectSeconds = secondsFromEnvironment(options.connectSeconds);
    options.stallSeconds = secondsFromEnvironment(options.stallSeconds);
    return options;
}

void ApplyNetworkOptions(CURL* easy, const NetworkOptions& options)
{
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, long(options.connectSeconds));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(options.stallSeconds));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(options.stallSeconds));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, kSendBufferBytes);
    curl_easy_setopt(easy, CURLOPT_MAXAGE_CONN, kKeepIdleConnectionsSeconds);
    if (options.proxy.isEmpty()) {
        // An empty proxy also keeps http_proxy and friends out of it.
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, options.proxy.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
    }
}

CurlRunner::CurlRunner() : m_multi(curl_multi_init()) {}

CurlRunner::~CurlRunner()
{
    curl_multi_cleanup(m_multi);
}

CURLcode CurlRunner::run(CURL* easy, const std::function<bool()>& shouldStop,
                         const std::function<quint64()>& activity)
{
    CURLM* multi = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        multi = m_multi;
    }
    if (shouldStop())
        return CURLE_ABORTED_BY_CALLBACK;
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    for (bool done = false; !done;) {
        int running = 0;
        const quint64 before = activity ? activity() : 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || shouldStop())
            break;
        if (!activity || activity() == before)
            curl_multi_poll(multi, nullptr, 0, kWakeAtLeastEveryMs, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

void CurlRunner::wakeup()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    curl_multi_wakeup(m_multi);
}

void CurlRunner::closeConnections()
{
    curl_multi_cleanup(takeConnections());
}

CURLM* CurlRunner::takeConnections()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    CURLM* old = m_multi;
    m_multi = curl_multi_init();
    return old;
}

void ProgressReporter::attach(CURL* easy, Sink sink)
{
    m_sink = std::move(sink);
    m_announced = -1;
    m_lastReportMs = 0;
    m_lastDone = -1;
    m_done = 0;
    m_total = -1;
    if (!m_sink)
        return;
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, reportProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
}

void ProgressReporter::onProgress(curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
                                  curl_off_t upNow)
{
    // A transfer goes one way; the other count stays 0.
    const bool upload = upTotal > 0 || upNow > 0;
    m_done = upload ? upNow : downNow;
    m_total = upload ? upTotal : downTotal;
    if (m_total <= 0)
        m_total = m_announced;
    const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    // A stalled transfer still reports now and then, so its speed can fall.
    if (m_done == m_lastDone && now - m_lastReportMs < 4 * kReportEveryMs)
        return;
    if (now - m_lastReportMs < kReportEveryMs)
        return;
    report(now);
}

void ProgressReporter::finish()
{
    if (m_sink && m_done != m_lastDone)
        report(m_lastReportMs);
}

void ProgressReporter::report(qint64 now)
{
    m_lastReportMs = now;
    m_lastDone = m_done;
    m_sink(m_done, m_total > 0 ? m_total : -1);
}

TransferFailure FailureOf(CURL* easy, CURLcode code, const char* errorBuffer,
                          const QString& endpoint)
{
    TransferFailure failure;
    failure.code = code;
    failure.errorBuffer = QString::fromLocal8Bit(errorBuffer).trimmed();
    failure.endpoint = endpoint;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &failure.osErrno);
    curl_off_t connectTime = 0;
    long newConnections = 0;
    curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime);
    curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &newConnections);
    failure.connected = connectTime > 0 || newConnections > 0;
    return failure;
}

QString DescribeFailure(const TransferFailure& failure, const NetworkOptions& options)
{
    const QString detail = failure.errorBuffer.isEmpty()
                               ? QString::fromUtf8(curl_easy_strerror(failure.code))
                               : failure.errorBuffer;
    const QString& where = failure.endpoint;
    switch (failure.code) {
    case CURLE_COULDNT_CONNECT: {
        const QString reason = failure.osErrno != 0
                                   ? QString::fromLocal8Bit(std::strerror(int(failure.osErrno)))
                                   : detail;
        return QStringLiteral("Could not connect to %1: %2").arg(where, reason);
    }
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("Could not find the host of %1: %2").arg(where, detail);
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("Could not find the proxy %1: %2").arg(options.proxy, detail);
    case CURLE_OPERATION_TIMEDOUT:
        if (!failure.connected)
            return QStringLiteral("Could not connect to %1: no answer within %2 seconds")
                .arg(where)
                .arg(options.connectSeconds);
        if (detail.contains(QLatin1String("too slow"), Qt::CaseInsensitive))
            return QStringLiteral("The transfer with %1 stalled: nothing arrived for %2 seconds")
                .arg(where)
                .arg(options.stallSeconds);
        if (detail.contains(QLatin1String("response timeout"), Qt::CaseInsensitive))
            return QStringLiteral("The server at %1 did not answer within %2 seconds")
                .arg(where)
                .arg(options.stallSeconds);
        return QStringLiteral("The server at %1 did not answer in time (%2)").arg(where, detail);
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        return QStringLiteral("The connection to %1 broke off: %2").arg(where, detail);
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("The transfer with %1 was cancelled.").arg(where);
    default:
        return QStringLiteral("%1 (%2)").arg(detail, where);
    }
}
