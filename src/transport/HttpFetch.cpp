#include "HttpFetch.h"

#include "InputGate.h"
#include "UiMailbox.h"
#include "app/Errors.h"

#include <QEventLoop>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <thread>

namespace {

size_t appendToArray(char* data, size_t size, size_t count, void* array)
{
    static_cast<QByteArray*>(array)->append(data, int(size * count));
    return size * count;
}

constexpr long kMaxRedirects = 5;

} // namespace

QString AddressForMessages(const QString& url)
{
    const qsizetype question = url.indexOf(QLatin1Char('?'));
    if (question < 0)
        return url;
    const qsizetype fragment = url.indexOf(QLatin1Char('#'), question);
    const QString query = url.mid(question + 1, fragment < 0 ? -1 : fragment - question - 1);
    QStringList fields = query.split(QLatin1Char('&'));
    for (QString& field : fields) {
        const qsizetype equals = field.indexOf(QLatin1Char('='));
        if (equals >= 0)
            field = field.left(equals + 1) + QStringLiteral("***");
    }
    return url.left(question + 1) + fields.join(QLatin1Char('&'));
}

struct HttpFetch::Shared
{
    QByteArray url;
    QString endpoint;
    NetworkOptions options;
    TlsSetup tls;
    bool https = false;
    std::atomic<bool> aborted{false};
    CurlRunner runner;
    // Written by the transfer thread before it reports, read after.
    QByteArray body;
    long status = 0;
    QString failure;
    TlsProblem tlsProblem = TlsProblem::None;
    CertificateFacts certificate;

    void transfer(const ProgressReporter::Sink& progress);
    CertificateFacts probeCertificate();
};

CertificateFacts HttpFetch::Shared::probeCertificate()
{
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    ApplyNetworkOptions(easy, options);
    ApplyCertificateProbe(easy, tls, false);
    CurlRunner probe;
    probe.run(easy, [this] { return aborted.load(); });
    CertificateFacts facts = CertificateOf(easy);
    curl_easy_cleanup(easy);
    return facts;
}

void HttpFetch::Shared::transfer(const ProgressReporter::Sink& progress)
{
    CURL* easy = curl_easy_init();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Skiff");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendToArray);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    ApplyNetworkOptions(easy, options);
    if (https) {
        ApplyTls(easy, tls, false);
        UseSharedTlsSessions(easy);
    }
    ProgressReporter reporter;
    reporter.attach(easy, progress);
    const CURLcode code = runner.run(easy, [this] { return aborted.load(); });
    reporter.finish();
    if (code != CURLE_OK) {
        body.clear();
        tlsProblem = https ? TlsProblemOf(easy, code, errorBuffer, tls, false) : TlsProblem::None;
        failure = tlsProblem == TlsProblem::None
                      ? DescribeFailure(FailureOf(easy, code, errorBuffer, endpoint), options)
                      : DescribeTlsProblem(tlsProblem, endpoint,
                                           QString::fromLocal8Bit(errorBuffer).trimmed());
        if (tlsProblem == TlsProblem::Untrusted || tlsProblem == TlsProblem::Changed)
            certificate = probeCertificate();
        // libcurl's own words may quote the address, query and all.
        const QString address = QString::fromUtf8(url);
        failure.replace(address, AddressForMessages(address));
    }
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);
}

HttpFetch::HttpFetch(const QString& url, const NetworkOptions& options, const TlsSetup& tls)
    : m_shared(std::make_shared<Shared>())
{
    EnsureCurlReady();
    // Members and the site write addresses with blanks and other
    // characters that an address may not hold as they are.
    const QUrl address(url);
    m_shared->url = address.toEncoded();
    m_shared->https = address.scheme() == QLatin1String("https");
    m_shared->endpoint =
        QStringLiteral("%1:%2").arg(address.host()).arg(address.port(m_shared->https ? 443 : 80));
    m_shared->options = options;
    m_shared->tls = tls;
}

HttpFetch::~HttpFetch()
{
    abort();
}

void HttpFetch::abort()
{
    m_shared->aborted = true;
    m_shared->runner.wakeup();
}

void HttpFetch::setProgressHandler(std::function<void(qint64, qint64)> handler)
{
    m_progress = std::move(handler);
}

QByteArray HttpFetch::run()
{
    QEventLoop loop;
    auto done = std::make_shared<UiMailbox>(&loop);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    ProgressReporter::Sink progress;
    if (m_progress) {
        progress = [done, handler = m_progress](qint64 bytes, qint64 total) {
            done->post([handler, bytes, total] { handler(bytes, total); });
        };
    }
    std::thread([shared = m_shared, done, finished, progress] {
        shared->transfer(progress);
        *finished = true;
        done->post([] {});
    }).detach();
    // The posted call wakes the loop; the loop ends once the transfer has.
    {
        const InputGate gate;
        while (!*finished && !m_shared->aborted)
            loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    done->close();
    if (m_shared->aborted)
        throw SkiffError(QStringLiteral("The download of %1 was cancelled.")
                             .arg(AddressForMessages(QString::fromUtf8(m_shared->url))));
    if (!m_shared->failure.isEmpty())
        throw SkiffError(m_shared->failure);
    return m_shared->body;
}

int HttpFetch::status() const { return int(m_shared->status); }

TlsProblem HttpFetch::tlsProblem() const { return m_shared->tlsProblem; }

CertificateFacts HttpFetch::certificate() const { return m_shared->certificate; }
