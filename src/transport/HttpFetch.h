#pragma once
// One HTTP GET that is synchronous for its caller: the transfer runs on a
// thread of its own while the caller's thread keeps painting its windows
// (input waits until the download is over).

#include "CurlSupport.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The address as messages may show it: the value of every query field
// masked, since the login's address carries the member's password there.
QString AddressForMessages(const QString& url);

class HttpFetch
{
public:
    HttpFetch(const QString& url, const NetworkOptions& options);
    ~HttpFetch();
    HttpFetch(const HttpFetch&) = delete;
    HttpFetch& operator=(const HttpFetch&) = delete;

    // The body, also for an HTTP error status (a static host's error page).
    // Throws SkiffError when the server cannot be reached, stops answering
    // or breaks off, and when the fetch was aborted.
    QByteArray run();
    // The HTTP status of the answer (200, 404, ...); 0 before one came.
    int status() const;
    // Ends a running fetch soon; from the caller's thread, e.g. from an
    // event handled while run() waits.
    void abort();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
