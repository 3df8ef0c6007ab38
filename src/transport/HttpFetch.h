#pragma once
// One HTTP GET that is synchronous for its caller: the transfer runs on a
// thread of its own while the caller's thread keeps painting its windows
// (they take no input meanwhile, except the transfer's own controls: see
// InputGate).

#include "CurlSupport.h"
#include "TlsSupport.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// The address as messages may show it: the value of every query field
// masked, since the login's address carries the member's password there.
QString AddressForMessages(const QString& url);

class HttpFetch
{
public:
    // An https address is fetched with the TLS setup's certificate check.
    HttpFetch(const QString& url, const NetworkOptions& options, const TlsSetup& tls = {});
    ~HttpFetch();
    HttpFetch(const HttpFetch&) = delete;
    HttpFetch& operator=(const HttpFetch&) = delete;

    // Hears how far the download has come (bytes so far, and the whole
    // size where the server gives it, else -1), on the caller's thread
    // while run() waits. Set before run().
    void setProgressHandler(std::function<void(qint64 done, qint64 total)> handler);

    // The body, also for an HTTP error status (a static host's error page).
    // Throws SkiffError when the server cannot be reached, stops answering
    // or breaks off, and when the fetch was aborted.
    QByteArray run();
    // The HTTP status of the answer (200, 404, ...); 0 before one came.
    int status() const;
    // Ends a running fetch soon; from the caller's thread, e.g. from an
    // event handled while run() waits.
    void abort();
    // After a failed run: what went wrong with the encryption, if anything,
    // and the certificate shown when nothing vouched for it.
    TlsProblem tlsProblem() const;
    CertificateFacts certificate() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::function<void(qint64, qint64)> m_progress;
};
