#include "SiteServer.h"

#include "TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kSiteFolder = QStringLiteral("users/tarnwardens");
const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr int kStartSeconds = 20;

void CopyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    const QDir source(from);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + source.relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            WriteFileBytes(target, ReadFileBytes(path));
    }
}

QString RandomPassword()
{
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    QString password;
    for (int i = 0; i < 10; ++i)
        password += letters.at(QRandomGenerator::global()->bounded(letters.size()));
    return password;
}

QStringList Lines(const QString& path)
{
    const QString text = QString::fromUtf8(ReadFileBytes(path));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

SiteServer::SiteServer(const QString& seedFolder) : m_password(RandomPassword())
{
    QDir().mkpath(sitePath(QStringLiteral("qxg")));
    if (!seedFolder.isEmpty() && QFileInfo(seedFolder).isDir()) {
        const bool holdsRoot = QFileInfo(seedFolder + QLatin1Char('/') + kSiteFolder).isDir();
        CopyFolder(seedFolder, holdsRoot ? root() : sitePath());
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SiteServer::~SiteServer()
{
    stop();
}

QString SiteServer::DemoSite()
{
    return QStringLiteral(SKIFF_DEMO_DIR "/site");
}

QString SiteServer::dataPath(const QString& name) const
{
    return m_data.filePath(name);
}

QString SiteServer::sitePath(const QString& relative) const
{
    const QString folder = m_root.filePath(kSiteFolder);
    return relative.isEmpty() ? folder : folder + QLatin1Char('/') + relative;
}

bool SiteServer::start()
{
    const QString portsFile = dataPath(QStringLiteral("ports.json"));
    // A restart must not read the ports of the previous run.
    QFile::remove(portsFile);
    WriteFileBytes(dataPath(QStringLiteral("refuse.txt")), QByteArray());
    clearLog();
    m_process.start(kPython,
                    {QStringLiteral(SKIFF_SITE_SERVER), QStringLiteral("--root"), root(),
                     QStringLiteral("--password"), m_password, QStringLiteral("--ports-file"),
                     portsFile, QStringLiteral("--log"), dataPath(QStringLiteral("ftp.log")),
                     QStringLiteral("--http-log"), dataPath(QStringLiteral("http.log")),
                     QStringLiteral("--refuse-file"), dataPath(QStringLiteral("refuse.txt")),
                     QStringLiteral("--latency-ms"), QString::number(m_latencyMs),
                     QStringLiteral("--tls"), m_tls, QStringLiteral("--cert-dir"),
                     dataPath(QStringLiteral("tls")),
                     QStringLiteral("--exit-with-parent")});
    if (!m_process.waitForStarted()) {
        m_error = QStringLiteral("cannot start %1: %2").arg(kPython, m_process.errorString());
        return false;
    }
    const bool listening = QTest::qWaitFor(
        [&] { return QFileInfo::exists(portsFile) || m_process.state() == QProcess::NotRunning; },
        kStartSeconds * 1000);
    const QJsonObject ports = QJsonDocument::fromJson(ReadFileBytes(portsFile)).object();
    m_ftpPort = ports.value(QStringLiteral("ftp")).toInt();
    m_httpPort = ports.value(QStringLiteral("http")).toInt();
    if (!listening || m_ftpPort == 0 || m_httpPort == 0) {
        m_error = QStringLiteral("the site server (%1) did not start; is python3-pyftpdlib "
                                 "installed? Its errors are above.")
                      .arg(QStringLiteral(SKIFF_SITE_SERVER));
        stop();
        return false;
    }
    qputenv("SKIFF_HOST", "127.0.0.1");
    qputenv("SKIFF_FTP_PORT", QByteArray::number(m_ftpPort));
    qputenv("SKIFF_HTTP_PORT", QByteArray::number(m_httpPort));
    // HTTP and HTTPS share the port, told apart by the first byte.
    qputenv("SKIFF_HTTPS_PORT", QByteArray::number(m_httpPort));
    qputenv("SKIFF_CA_FILE", ports.value(QStringLiteral("ca")).toString().toUtf8());
    if (qEnvironmentVariableIsEmpty("SKIFF_TLS"))
        qputenv("SKIFF_TLS", "require");
    qputenv("SKIFF_FTP_PASSWORD", m_password.toUtf8());
    if (qEnvironmentVariableIsEmpty("SKIFF_NET_TIMEOUT"))
        qputenv("SKIFF_NET_TIMEOUT", "3");
    return true;
}

void SiteServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void SiteServer::writeSiteFile(const QString& relative, const QByteArray& bytes) const
{
    WriteFileBytes(sitePath(relative), bytes);
}

QByteArray SiteServer::readSiteFile(const QString& relative) const
{
    return ReadFileBytes(sitePath(relative));
}

bool SiteServer::siteFileExists(const QString& relative) const
{
    return QFileInfo::exists(sitePath(relative));
}

QStringList SiteServer::ftpLog() const
{
    static const QRegularExpression token(QStringLiteral("\\._skiff\\.[0-9a-f]{12}\\."));
    QStringList lines = Lines(dataPath(QStringLiteral("ftp.log")));
    lines.replaceInStrings(token, QStringLiteral("._skiff.*."));
    return lines;
}

QString SiteServer::Temporary(const QString& remote)
{
    const int slash = remote.lastIndexOf(QLatin1Char('/'));
    return remote.left(slash + 1) + QStringLiteral("._skiff.*.") + remote.mid(slash + 1);
}

QStringList SiteServer::UploadCommands(const QString& remote)
{
    const QString backup = remote + QStringLiteral(".backup");
    return {"STOR " + Temporary(remote), "DELE " + backup,         "RNFR " + remote,
            "RNTO " + backup,            "RNFR " + Temporary(remote), "RNTO " + remote};
}

void SiteServer::clearLog() const
{
    WriteFileBytes(dataPath(QStringLiteral("ftp.log")), QByteArray());
    WriteFileBytes(dataPath(QStringLiteral("http.log")), QByteArray());
    if (QFileInfo::exists(dataPath(QStringLiteral("tls"))))
        WriteFileBytes(dataPath(QStringLiteral("tls/tls.log")), QByteArray());
}

QStringList SiteServer::httpLog() const
{
    return Lines(dataPath(QStringLiteral("http.log")));
}

void SiteServer::appendToRefuseFile(const QString& line) const
{
    const QString path = dataPath(QStringLiteral("refuse.txt"));
    WriteFileBytes(path, ReadFileBytes(path) + line.toUtf8() + '\n');
}

void SiteServer::useTls(const QString& mode) const
{
    appendToRefuseFile(QStringLiteral("tls:") + mode);
}

void SiteServer::serveCertificate(const QString& kind) const
{
    appendToRefuseFile(QStringLiteral("cert:") + kind);
}

QStringList SiteServer::tlsHandshakes() const
{
    return Lines(dataPath(QStringLiteral("tls/tls.log")));
}

void SiteServer::refuse(const QString& name) const
{
    appendToRefuseFile(name);
}

void SiteServer::stall(const QString& name) const
{
    appendToRefuseFile(QStringLiteral("stall:") + name);
}

QStringList SiteServer::ftpCommands(const QString& verb) const
{
    QStringList lines;
    for (const QString& line : ftpLog()) {
        if (line.startsWith(verb + QLatin1Char(' ')))
            lines << line;
    }
    return lines;
}

void SiteServer::unlist(const QString& name) const
{
    appendToRefuseFile(QStringLiteral("unlist:") + name);
}

void SiteServer::dropOn(const QString& verb, const QString& name) const
{
    appendToRefuseFile((QStringLiteral("drop:") + verb + QLatin1Char(' ') + name).trimmed());
}

void SiteServer::failOn(const QString& verb, const QString& name) const
{
    appendToRefuseFile((QStringLiteral("fail:") + verb + QLatin1Char(' ') + name).trimmed());
}

void SiteServer::shorten(const QString& name) const
{
    appendToRefuseFile(QStringLiteral("shorten:") + name);
}

void SiteServer::webShort(const QString& name) const
{
    appendToRefuseFile(QStringLiteral("webshort:") + name);
}

void SiteServer::webServe(const QString& name, const QByteArray& bytes) const
{
    const QString path = dataPath(QStringLiteral("served-") + name);
    WriteFileBytes(path, bytes);
    appendToRefuseFile(QStringLiteral("webserve:") + name + QLatin1Char(' ') + path);
}

void SiteServer::webHide(const QString& name) const
{
    appendToRefuseFile(QStringLiteral("webhide:") + name);
}

void SiteServer::clearRefusals() const
{
    WriteFileBytes(dataPath(QStringLiteral("refuse.txt")), QByteArray());
}
