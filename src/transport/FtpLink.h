#pragma once
// One FTP command at a time on the site, as an operation that acts on the
// answers sees it: run a command of the transfer component's vocabulary
// (Inet.h) and wait for it, then read what it answered, whether it failed
// and whether the server was lost. Everything a link returns came from the
// server, which may be any FTP program and may be broken or hostile.

#include <QString>

class Inet;

class FtpLink
{
public:
    virtual ~FtpLink() = default;
    // Runs one command and returns once it has finished.
    virtual void Run(const QString& command) = 0;
    // What the last command answered; "" when it failed, so that an error
    // text naming a file never reads as a listing of it.
    virtual QString Response() const = 0;
    // Whether the last command failed, refused by the server or unanswered.
    virtual bool Failed() const = 0;
    // Whether it failed without an answer: no connection, a lost one, a
    // silent server or a broken transfer.
    virtual bool ConnectionLost() const = 0;
    // Why the last failed command failed: the server's reply or the reason
    // the component gives.
    virtual QString FailureText() const = 0;
};

// The link over a window's transfer component, which goes on reporting its
// states to the window (captions, the command log) as before.
class InetLink : public FtpLink
{
public:
    explicit InetLink(Inet& inet) : m_inet(inet) {}
    void Run(const QString& command) override;
    QString Response() const override;
    bool Failed() const override;
    bool ConnectionLost() const override;
    QString FailureText() const override;

private:
    Inet& m_inet;
};
