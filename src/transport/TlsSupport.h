#pragma once
// Encrypted connections: which connections use TLS (the policy, and the
// hosts that answered with it before), which certificates are believed, and
// a failed handshake in a member's words.
//
// The policy is fixed when the program is built (SKIFF_TLS) and SKIFF_TLS
// overrides it at run time: "require" never sends a password without TLS,
// "auto" uses TLS whenever the host offers it and, once a host has answered
// with it, never goes plain with that host again; "off" is plain FTP and
// HTTP. Certificates are checked against the system's authorities (plus
// SKIFF_CA_FILE) and the host name; a certificate the member chose to trust
// is pinned by its public key for that host and port.

#include <QByteArray>
#include <QString>
#include <curl/curl.h>

#include <functional>

enum class TlsPolicy { Require, Auto, Off };

// The build's policy, or SKIFF_TLS when it names one.
TlsPolicy CurrentTlsPolicy();

// What one connection does about TLS. Decided on the windows' thread,
// since it reads the settings.
struct TlsSetup
{
    TlsPolicy policy = TlsPolicy::Off;
    bool answeredBefore = false; // auto: the host answered with TLS before
    QString caFile;              // an authority believed besides the system's
    QString pin;                 // "sha256//..." of a certificate the member trusts

    bool tried() const { return policy != TlsPolicy::Off; }
    bool required() const { return policy == TlsPolicy::Require || answeredBefore; }
    // The same connection may go on serving both.
    bool sameConnection(const TlsSetup& other) const
    {
        return policy == other.policy && caFile == other.caFile && pin == other.pin;
    }
};

// The setup for one service ("ftp", "http") of host and port.
TlsSetup TlsSetupFor(const QString& service, const QString& host, int port);
// Remembers, under auto, that the service answered with TLS.
void RememberTlsAnswer(const QString& service, const QString& host, int port,
                       const TlsSetup& setup);

// Sets up a handle for the setup: explicit TLS ("AUTH TLS", "PBSZ 0",
// "PROT P") on an FTP session, a certificate check on either.
void ApplyTls(CURL* easy, const TlsSetup& setup, bool ftp);

// Why a run failed, as far as encryption goes.
enum class TlsProblem {
    None,
    NotOffered,        // the server does not speak TLS (required here)
    NoLongerEncrypted, // the host spoke TLS before and now answers plain
    Untrusted,         // no authority the system believes vouches for it
    Expired,
    NameMismatch,
    Changed,           // not the certificate the member trusted
    Broken,            // the handshake itself failed
};
TlsProblem TlsProblemOf(CURL* easy, CURLcode code, const char* errorBuffer,
                        const TlsSetup& setup, bool ftp);
// A member's sentence for it; where is "host:port".
QString DescribeTlsProblem(TlsProblem problem, const QString& where, const QString& detail);
// Whether a server's refusal of the login asks for encryption, as servers
// that require it say in their own words ("must use encryption", "TLS
// required", "cleartext sessions are not accepted", ...).
bool ReplyAsksForTls(const QByteArray& reply);
QString TlsRequiredButOffMessage(const QString& where, const QString& reply);

// The certificate a server showed, for the member to judge.
struct CertificateFacts
{
    QString subject;
    QString issuer;
    QString validFrom;
    QString validUntil;
    QString sha256; // fingerprint of the whole certificate, "AB:CD:..."
    QString pin;    // "sha256//" + the public key's hash, as libcurl pins it

    bool known() const { return !pin.isEmpty(); }
};

// Sets up a handle that only fetches the certificate: nothing vouches for
// it, and the run fails right after the handshake (on a pin nobody has),
// before any command or request of the member's is sent.
void ApplyCertificateProbe(CURL* easy, const TlsSetup& setup, bool ftp);
CertificateFacts CertificateOf(CURL* easy);
// The facts of a DER certificate (tested without a server).
CertificateFacts CertificateFromDer(const QByteArray& der);

// The question shown for a certificate nothing vouches for (changed: the
// member trusted another one for the same host and port before).
QString CertificateQuestion(const CertificateFacts& facts, const QString& where, bool changed);
void TrustCertificate(const QString& host, int port, const QString& pin);

// How the member is asked: the question's text in, true for "Trust this
// certificate", false for "Cancel". The desktop installs a box at start-up;
// without one nothing is trusted.
using TrustQuestion = std::function<bool(const QString& question)>;
void SetTrustQuestion(TrustQuestion question);

// After a run that met a certificate nothing vouches for: asks the member
// (about a changed one, only an administrator, signed in or signing in:
// for everybody else it stays refused) and on Trust remembers it for host and port. True when the run
// is to be tried again with the new pin. Windows' thread only.
bool OfferToTrust(TlsProblem problem, const CertificateFacts& facts, const QString& host,
                  int port);

// While a sign-in is under way nobody is signed in yet, so the sign-in
// answers for itself whether an administrator is at the keyboard (one who
// may confirm a changed certificate), for as long as it lasts.
class SignInConfirmation
{
public:
    explicit SignInConfirmation(std::function<bool()> isAdministrator);
    ~SignInConfirmation();
    SignInConfirmation(const SignInConfirmation&) = delete;
    SignInConfirmation& operator=(const SignInConfirmation&) = delete;
};
