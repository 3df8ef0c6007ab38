#pragma once
// What every transfer on libcurl shares: the network settings (time-outs,
// proxy, buffers), running one easy handle to its end while staying
// interruptible from another thread, and turning a failure into a sentence
// a member can read.

#include <QString>
#include <curl/curl.h>

#include <functional>
#include <mutex>

// Prepares libcurl once per process; call before the first handle is made.
void EnsureCurlReady();

// Puts a handle on the TLS sessions servers handed out, shared by every
// handle of the process (each window has its own connection), so that a
// new connection to a host resumes one instead of a full handshake. Each
// connection resumes from a copy of the kept session: OpenSSL marks a
// TLS 1.3 session spent once it has resumed a connection, and libcurl keeps
// one session per server, so the kept one would be spent by any connection
// that never reads the fresh ticket the server sends (an upload's data
// connection, closed once the bytes are out), and the next login would pay
// a full handshake.
void UseSharedTlsSessions(CURL* easy);

struct NetworkOptions
{
    QString proxy; // "host:port"; empty = connect directly, whatever the environment says
    int connectSeconds = 15;
    int stallSeconds = 30;

    // The component's time-outs with SKIFF_NET_TIMEOUT applied.
    static NetworkOptions FromEnvironment(const QString& proxy);
};

// Time-outs, proxy and buffer sizes on a freshly made or reset easy handle.
void ApplyNetworkOptions(CURL* easy, const NetworkOptions& options);

// Runs easy handles one after the other on a private multi handle. The
// multi handle keeps the connections between runs, so an FTP session stays
// logged in; closing it ends them (FTP: QUIT).
class CurlRunner
{
public:
    CurlRunner();
    ~CurlRunner();
    CurlRunner(const CurlRunner&) = delete;
    CurlRunner& operator=(const CurlRunner&) = delete;

    // Runs one transfer to its end. shouldStop is asked whenever the runner
    // wakes up (at least once a second, and at once after wakeup()); when it
    // says yes the transfer is abandoned with CURLE_ABORTED_BY_CALLBACK.
    // activity, when given, counts what libcurl reported (e.g. protocol
    // lines): after a step that reported something the runner steps again
    // before it sleeps, because libcurl does not always leave itself a
    // socket or timer to be woken by (an FTP data connection on a reused
    // session would otherwise wait a whole second).
    CURLcode run(CURL* easy, const std::function<bool()>& shouldStop,
                 const std::function<quint64()>& activity = {});
    // Wakes a running transfer from any thread so that it asks shouldStop.
    void wakeup();
    // Ends every connection kept for later runs. Only from the running thread.
    void closeConnections();
    // Hands over the connections kept so far (to be ended later with
    // curl_multi_cleanup); later runs make new ones. Only from the running
    // thread.
    CURLM* takeConnections();

private:
    std::mutex m_mutex;
    CURLM* m_multi;
};

// How far one transfer has come, from libcurl's progress callback, for a
// member to follow: bytes moved so far and the whole size where it is known
// (-1 when not). libcurl asks many times a second; the sink hears at most
// every kReportEveryMs.
class ProgressReporter
{
public:
    using Sink = std::function<void(qint64 done, qint64 total)>;
    static constexpr int kReportEveryMs = 200;

    // Reports the transfer set up on the handle to the sink, on the thread
    // that runs it; an empty sink reports nothing.
    void attach(CURL* easy, Sink sink);
    // The size the server named before the data came (an FTP server's
    // "150 ... (N bytes)"), where libcurl knows none. From the same thread.
    void setAnnouncedTotal(qint64 bytes) { m_announced = bytes; }
    // Reports what the last report left out, once the transfer has ended.
    void finish();

    // Public only for libcurl's C callback.
    void onProgress(curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal,
                    curl_off_t upNow);

private:
    void report(qint64 now);

    Sink m_sink;
    qint64 m_announced = -1;
    qint64 m_lastReportMs = 0;
    qint64 m_lastDone = -1;
    qint64 m_done = 0;
    qint64 m_total = -1;
};

// Facts about a failed transfer that decide how it is described.
struct TransferFailure
{
    CURLcode code = CURLE_OK;
    QString errorBuffer; // libcurl's own words
    long osErrno = 0;    // the system's reason for a failed connect
    bool connected = false;
    QString endpoint; // "host:port" of the server (or of the proxy)
};

// Collects the facts from a handle right after a failed run.
TransferFailure FailureOf(CURL* easy, CURLcode code, const char* errorBuffer,
                          const QString& endpoint);

// A sentence naming what went wrong and where, e.g.
// "Could not connect to 127.0.0.1:8123: Connection refused".
QString DescribeFailure(const TransferFailure& failure, const NetworkOptions& options);
