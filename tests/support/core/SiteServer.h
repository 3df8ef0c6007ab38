#pragma once
// The group's site on loopback for a test or a benchmark: a fresh
// temporary site folder served over FTP and HTTP by tests/site/site_server.py.
// Starting it points the program at it (SKIFF_HOST, SKIFF_FTP_PORT,
// SKIFF_HTTP_PORT and SKIFF_HTTPS_PORT, SKIFF_FTP_PASSWORD, SKIFF_CA_FILE for
// its test authority, SKIFF_TLS=require and SKIFF_NET_TIMEOUT=3 unless set).
// It requires TLS unless told otherwise.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SiteServer
{
public:
    // The site starts with users/tarnwardens/ and its group folder qxg/,
    // plus a copy of seedFolder when it exists (a folder holding
    // users/tarnwardens/ is copied to the root, any other into the site
    // folder).
    explicit SiteServer(const QString& seedFolder = QString());
    ~SiteServer();
    SiteServer(const SiteServer&) = delete;
    SiteServer& operator=(const SiteServer&) = delete;

    // The demo's site, which tests may start from.
    static QString DemoSite();

    // Makes the site answer as if it were far away: every FTP reply, every
    // HTTP response and the first byte of each data connection waits this
    // long. Takes effect at the next start().
    void setLatency(int milliseconds) { m_latencyMs = milliseconds; }
    // "require" (the default), "offer" or "off" (plain only); from the next
    // start(). useTls changes it at once, until the refusals are cleared.
    void setTls(const QString& mode) { m_tls = mode; }
    void useTls(const QString& mode) const;
    // Serves another certificate from the next connection on: "untrusted",
    // "changed", "expired", "wrongname" (or "good" again).
    void serveCertificate(const QString& kind) const;
    // The TLS handshakes of data connections so far: "data resumed" or
    // "data full" (and "control ..." for control connections).
    QStringList tlsHandshakes() const;

    // Starts the server and waits until it listens; false with
    // errorString() when it does not.
    bool start();
    void stop();
    QString errorString() const { return m_error; }

    int ftpPort() const { return m_ftpPort; }
    int httpPort() const { return m_httpPort; }
    QString password() const { return m_password; }
    QString root() const { return m_root.path(); }
    // A path on disk below the site folder users/tarnwardens/.
    QString sitePath(const QString& relative = QString()) const;

    void writeSiteFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readSiteFile(const QString& relative) const;
    bool siteFileExists(const QString& relative) const;

    // FTP command lines received so far, in order ("PASS ****" masked, the
    // random part of temporary upload names as "*").
    QStringList ftpLog() const;
    // The temporary name of an upload of remote, as ftpLog() shows it.
    static QString Temporary(const QString& remote);
    // The file operations of an upload that keeps the server's previous copy
    // as remote + ".backup", as ftpLog() shows them.
    static QStringList UploadCommands(const QString& remote);
    // The FTP command lines of one verb ("STOR", "DELE", ...), in order.
    QStringList ftpCommands(const QString& verb) const;
    // Empties both logs.
    void clearLog() const;
    // HTTP request lines: method and path with query.
    QStringList httpLog() const;
    // Uploads of this base name are refused from now on.
    void refuse(const QString& name) const;
    // Downloads of this base name (FTP and HTTP) send a little and then hang.
    void stall(const QString& name) const;
    // Name listings ("ls") of this base name come back empty.
    void unlist(const QString& name) const;
    // The command of this verb ("STOR", "RNFR", "MLST", ...) makes the server
    // close the control connection as it arrives; with a base name, only the
    // command naming it.
    void dropOn(const QString& verb, const QString& name = QString()) const;
    // The command of this verb (for this base name) is answered with 451.
    void failOn(const QString& verb, const QString& name = QString()) const;
    // Uploads of this base name are stored one byte short, while the server
    // says the transfer completed.
    void shorten(const QString& name) const;
    // Over HTTP only (FTP keeps the real file), this base name is served
    // with the first half of its bytes, with these bytes instead, or as 404.
    void webShort(const QString& name) const;
    void webServe(const QString& name, const QByteArray& bytes) const;
    void webHide(const QString& name) const;
    // Ends every refusal, stall, hidden listing, drop, failure and shortening.
    void clearRefusals() const;

private:
    QString dataPath(const QString& name) const;
    void appendToRefuseFile(const QString& line) const;

    QTemporaryDir m_root;
    QTemporaryDir m_data;
    QProcess m_process;
    QString m_password;
    QString m_error;
    int m_ftpPort = 0;
    int m_httpPort = 0;
    int m_latencyMs = 0;
    QString m_tls = QStringLiteral("require");
};
