#include "TlsSupport.h"

#include "app/GlobalState.h"
#include "app/MemberLevel.h"
#include "app/Settings.h"

#include <QCryptographicHash>
#include <QStringList>

namespace {

const QString kEncryptedHosts = QStringLiteral("Encrypted Hosts");
const QString kTrustedCertificates = QStringLiteral("Trusted Certificates");

// OpenSSL's verification results that mean the certificate's time is over
// (or has not come).
constexpr long kCertificateNotYetValid = 9;
constexpr long kCertificateExpired = 10;
TrustQuestion& trustQuestion()
{
    static TrustQuestion question;
    return question;
}

std::function<bool()>& signingInAsAdministrator()
{
    static std::function<bool()> answer;
    return answer;
}

QString serverKey(const QString& host, int port)
{
    return host + QLatin1Char(':') + QString::number(port);
}

TlsPolicy policyNamed(const QString& name, TlsPolicy fallback)
{
    const QString lower = name.trimmed().toLower();
    if (lower == QLatin1String("require"))
        return TlsPolicy::Require;
    if (lower == QLatin1String("auto"))
        return TlsPolicy::Auto;
    if (lower == QLatin1String("off"))
        return TlsPolicy::Off;
    return fallback;
}

// One DER element: where its content starts and ends, and where it began.
struct DerElement
{
    int begin = 0;
    int content = 0;
    int end = 0;
    unsigned char tag = 0;
};

bool readDer(const QByteArray& der, int at, DerElement* element)
{
    if (at < 0 || at + 2 > der.size())
        return false;
    element->begin = at;
    element->tag = static_cast<unsigned char>(der.at(at));
    qint64 length = static_cast<unsigned char>(der.at(at + 1));
    int position = at + 2;
    if (length & 0x80) {
        const int bytes = int(length & 0x7F);
        if (bytes == 0 || bytes > 4 || position + bytes > der.size())
            return false;
        length = 0;
        for (int i = 0; i < bytes; ++i)
            length = (length << 8) | static_cast<unsigned char>(der.at(position++));
    }
    if (position + length > der.size())
        return false;
    element->content = position;
    element->end = position + int(length);
    return true;
}

// The subjectPublicKeyInfo of a certificate, whole: the seventh field of
// the certificate's body (the sixth when the version is left out).
QByteArray publicKeyInfo(const QByteArray& der)
{
    DerElement certificate, body, field;
    if (!readDer(der, 0, &certificate) || !readDer(der, certificate.content, &body))
        return {};
    int at = body.content;
    if (!readDer(der, at, &field))
        return {};
    if (field.tag == 0xA0) // [0] version
        at = field.end;
    for (int skipped = 0; skipped < 5; ++skipped) { // serial, algorithm, issuer, validity, subject
        if (!readDer(der, at, &field) || field.end > body.end)
            return {};
        at = field.end;
    }
    if (!readDer(der, at, &field) || field.end > body.end || field.tag != 0x30)
        return {};
    return der.mid(field.begin, field.end - field.begin);
}

QByteArray derOfPem(const QString& pem)
{
    QString text = pem;
    text.remove(QStringLiteral("-----BEGIN CERTIFICATE-----"));
    text.remove(QStringLiteral("-----END CERTIFICATE-----"));
    return QByteArray::fromBase64(text.toLatin1());
}

} // namespace

TlsPolicy CurrentTlsPolicy()
{
    return policyNamed(qEnvironmentVariable("SKIFF_TLS"),
                       policyNamed(QStringLiteral(SKIFF_DEFAULT_TLS), TlsPolicy::Require));
}

TlsSetup TlsSetupFor(const QString& service, const QString& host, int port)
{
    TlsSetup setup;
    setup.policy = CurrentTlsPolicy();
    if (!setup.tried())
        return setup;
    const QString where = serverKey(host, port);
    setup.answeredBefore =
        setup.policy == TlsPolicy::Auto &&
        modSkiff::SettingIsYes(kEncryptedHosts, service + QLatin1Char(' ') + where, QString());
    setup.caFile = qEnvironmentVariable("SKIFF_CA_FILE");
    setup.pin = modSkiff::GetSetting(kTrustedCertificates, where, QString());
    return setup;
}

void RememberTlsAnswer(const QString& service, const QString& host, int port,
                       const TlsSetup& setup)
{
    if (setup.policy == TlsPolicy::Auto && !setup.answeredBefore)
        modSkiff::SaveSetting(kEncryptedHosts, service + QLatin1Char(' ') + serverKey(host, port),
                              QStringLiteral("Yes"));
}

void TrustCertificate(const QString& host, int port, const QString& pin)
{
    modSkiff::SaveSetting(kTrustedCertificates, serverKey(host, port), pin);
}

void ApplyTls(CURL* easy, const TlsSetup& setup, bool ftp)
{
    if (ftp) {
        const long use = !setup.tried()     ? CURLUSESSL_NONE
                         : setup.required() ? CURLUSESSL_ALL
                                            : CURLUSESSL_TRY;
        curl_easy_setopt(easy, CURLOPT_USE_SSL, use);
        curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS));
    }
    // The extra authority comes on top of the system's folder of them.
    if (!setup.caFile.isEmpty())
        curl_easy_setopt(easy, CURLOPT_CAINFO, setup.caFile.toLocal8Bit().constData());
    if (!setup.pin.isEmpty()) {
        // The member vouched for this key; nothing else is believed for it.
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, setup.pin.toLatin1().constData());
    }
}

void ApplyCertificateProbe(CURL* easy, const TlsSetup& setup, bool ftp)
{
    TlsSetup probe = setup;
    probe.policy = TlsPolicy::Require;
    // A key nobody has: the run stops as soon as the certificate is in.
    probe.pin = QStringLiteral("sha256//") +
                QString::fromLatin1(QByteArray(32, '\0').toBase64());
    ApplyTls(easy, probe, ftp);
    curl_easy_setopt(easy, CURLOPT_CERTINFO, 1L);
}

CertificateFacts CertificateFromDer(const QByteArray& der)
{
    CertificateFacts facts;
    const QByteArray key = publicKeyInfo(der);
    if (key.isEmpty())
        return facts;
    facts.pin = QStringLiteral("sha256//") +
                QString::fromLatin1(
                    QCryptographicHash::hash(key, QCryptographicHash::Sha256).toBase64());
    facts.sha256 = QString::fromLatin1(
        QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
    return facts;
}

CertificateFacts CertificateOf(CURL* easy)
{
    curl_certinfo* info = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CERTINFO, &info) != CURLE_OK || !info ||
        info->num_of_certs < 1)
        return {};
    QString subject, issuer, from, until, pem;
    for (curl_slist* field = info->certinfo[0]; field; field = field->next) {
        const QString text = QString::fromUtf8(field->data);
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        const QString name = text.left(colon);
        const QString value = text.mid(colon + 1).trimmed();
        if (name == QLatin1String("Subject"))
            subject = value;
        else if (name == QLatin1String("Issuer"))
            issuer = value;
        else if (name == QLatin1String("Start date"))
            from = value;
        else if (name == QLatin1String("Expire date"))
            until = value;
        else if (name == QLatin1String("Cert"))
            pem = value;
    }
    CertificateFacts facts = CertificateFromDer(derOfPem(pem));
    facts.subject = subject;
    facts.issuer = issuer;
    facts.validFrom = from;
    facts.validUntil = until;
    return facts;
}

TlsProblem TlsProblemOf(CURL* easy, CURLcode code, const char* errorBuffer,
                        const TlsSetup& setup, bool ftp)
{
    switch (code) {
    case CURLE_USE_SSL_FAILED:
        return setup.answeredBefore ? TlsProblem::NoLongerEncrypted : TlsProblem::NotOffered;
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return TlsProblem::Changed;
    case CURLE_PEER_FAILED_VERIFICATION: {
        long result = 0;
        curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &result);
        if (result == kCertificateExpired || result == kCertificateNotYetValid)
            return TlsProblem::Expired;
        // The chain was good; what failed is libcurl's own check of the name.
        const QString words = QString::fromLocal8Bit(errorBuffer);
        if (words.contains(QLatin1String("name"), Qt::CaseInsensitive))
            return TlsProblem::NameMismatch;
        return TlsProblem::Untrusted;
    }
    case CURLE_SSL_CONNECT_ERROR:
        // An HTTP server that speaks no TLS breaks off the hello.
        if (!ftp)
            return setup.answeredBefore ? TlsProblem::NoLongerEncrypted : TlsProblem::NotOffered;
        return TlsProblem::Broken;
    case CURLE_COULDNT_CONNECT:
        // No HTTPS port at all: for auto, a host that offers none.
        return !ftp && setup.tried() && !setup.required() ? TlsProblem::NotOffered
                                                          : TlsProblem::None;
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
        return TlsProblem::Broken;
    default:
        return TlsProblem::None;
    }
}

QString DescribeTlsProblem(TlsProblem problem, const QString& where, const QString& detail)
{
    switch (problem) {
    case TlsProblem::NotOffered:
        return QStringLiteral("The server at %1 does not offer an encrypted connection (TLS), "
                              "and Skiff is set to use only encrypted ones. Nothing was sent "
                              "to it, not even a password.")
            .arg(where);
    case TlsProblem::NoLongerEncrypted:
        return QStringLiteral("The server at %1 answered without encryption, though it has "
                              "always used an encrypted connection (TLS) before. The "
                              "connection is no longer encrypted and may be intercepted, so "
                              "Skiff sent nothing to it, not even a password. Please tell "
                              "the group's administrator.")
            .arg(where);
    case TlsProblem::Untrusted:
        return QStringLiteral("The server at %1 showed a certificate that no authority this "
                              "computer trusts vouches for, so the connection was not made.")
            .arg(where);
    case TlsProblem::Expired:
        return QStringLiteral("The server at %1 showed a certificate that has expired (or is "
                              "not valid yet), so the connection was not made. The host's "
                              "certificate must be renewed; please tell the group's "
                              "administrator.")
            .arg(where);
    case TlsProblem::NameMismatch:
        return QStringLiteral("The server at %1 showed a certificate made out for another "
                              "name, so it may not be the group's host. The connection was "
                              "not made.")
            .arg(where);
    case TlsProblem::Changed:
        return QStringLiteral("WARNING: the certificate of the server at %1 has changed since "
                              "it was trusted. Someone may be intercepting the connection, so "
                              "Skiff refused it. Only an administrator who knows that the "
                              "host's certificate was replaced may confirm the new one: an "
                              "administrator who has signed in on this computer before is "
                              "asked when signing in.")
            .arg(where);
    case TlsProblem::Broken:
        return QStringLiteral("The encrypted connection to %1 could not be set up: %2")
            .arg(where, detail);
    case TlsProblem::None:
        break;
    }
    return detail;
}

bool ReplyAsksForTls(const QByteArray& reply)
{
    static const char* const kWords[] = {"tls", "ssl", "encrypt", "cleartext", "clear text",
                                         "secure"};
    const QByteArray lower = reply.toLower();
    for (const char* word : kWords) {
        if (lower.contains(word))
            return true;
    }
    return false;
}

QString TlsRequiredButOffMessage(const QString& where, const QString& reply)
{
    return QStringLiteral("The server at %1 requires an encrypted connection (TLS), but this "
                          "Skiff is set not to use one (SKIFF_TLS=off). The server said: %2")
        .arg(where, reply);
}

QString CertificateQuestion(const CertificateFacts& facts, const QString& where, bool changed)
{
    const QString intro =
        changed ? QStringLiteral("WARNING: the server at %1 shows a different certificate "
                                 "from the one trusted before. Someone may be intercepting "
                                 "the connection. Confirm the new certificate only if you know "
                                 "that the host's certificate was replaced.")
                      .arg(where)
                : QStringLiteral("The server at %1 shows a certificate that no authority this "
                                 "computer trusts vouches for. Trust it only if it is the "
                                 "group's host and the fingerprint is the one the host "
                                 "publishes.")
                      .arg(where);
    return intro + QStringLiteral("\n\nSubject: %1\nIssuer: %2\nValid from: %3\nValid until: "
                                  "%4\nSHA-256 fingerprint: %5")
                       .arg(facts.subject, facts.issuer, facts.validFrom, facts.validUntil,
                            facts.sha256);
}

void SetTrustQuestion(TrustQuestion question)
{
    trustQuestion() = std::move(question);
}

bool OfferToTrust(TlsProblem problem, const CertificateFacts& facts, const QString& host,
                  int port)
{
    const bool changed = problem == TlsProblem::Changed;
    if (!facts.known() || !trustQuestion() || (problem != TlsProblem::Untrusted && !changed))
        return false;
    if (changed && !MemberLevel::IsAdministrator() &&
        !(modSkiff::CurrentUser.isEmpty() && signingInAsAdministrator() &&
          signingInAsAdministrator()()))
        return false;
    if (!trustQuestion()(CertificateQuestion(facts, serverKey(host, port), changed)))
        return false;
    TrustCertificate(host, port, facts.pin);
    return true;
}

SignInConfirmation::SignInConfirmation(std::function<bool()> isAdministrator)
{
    signingInAsAdministrator() = std::move(isAdministrator);
}

SignInConfirmation::~SignInConfirmation()
{
    signingInAsAdministrator() = nullptr;
}
