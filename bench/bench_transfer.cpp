// Throughput of the transfer component next to the curl command line tool
// on the same local site and file (every copy checked byte for byte), and
// the cost of one "ls" on a kept session. Prints its figures; judging them is up to the reader (the
// aim is a component/curl ratio of at least 0.9 both ways).

#include "SiteServer.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/Wait.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 kFileBytes = 200LL * 1024 * 1024;
constexpr int kRounds = 5;
constexpr int kListings = 200;
const QString kRemoteFolder = QStringLiteral("/users/tarnwardens/qxg/");

void WriteRandomFile(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (qint64 written = 0; written < bytes; written += block.size()) {
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        file.write(block.constData(), qMin<qint64>(block.size(), bytes - written));
    }
}

// Seconds for one command on a fresh component (so a login is included, as
// it is for curl); fails loudly when the command did not complete.
double TimeComponent(const QString& command)
{
    Inet inet;
    inet.Host = SiteConfig::Host();
    inet.UserName = SiteConfig::FtpUserName();
    inet.Password = SiteConfig::FtpPassword();
    int finalState = 0;
    QObject::connect(&inet, &Inet::StateChanged, [&](int state) {
        if (state == icResponseCompleted || state == icError)
            finalState = state;
    });
    QElapsedTimer timer;
    timer.start();
    inet.Execute(command);
    Wait::UntilIdle(inet);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (finalState != icResponseCompleted)
        qFatal("%s failed: %s", qPrintable(command), qPrintable(inet.ResponseInfo()));
    return seconds;
}

// Seconds curl itself reports for the transfer (its start-up not counted).
double TimeCurl(const QStringList& arguments)
{
    QProcess curl;
    curl.start(QStringLiteral("/usr/bin/curl"),
               QStringList{QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("-w"),
                           QStringLiteral("%{time_total}")} +
                   arguments);
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0)
        qFatal("curl failed: %s", curl.readAllStandardError().constData());
    return curl.readAllStandardOutput().trimmed().toDouble();
}

QByteArray Digest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        qFatal("cannot read %s", qPrintable(path));
    return hash.result();
}

// A transferred copy must be the original, byte for byte.
void CheckCopy(const QString& path, const QString& original)
{
    if (QFileInfo(path).size() != kFileBytes)
        qFatal("%s has %lld bytes, not %lld", qPrintable(path), QFileInfo(path).size(), kFileBytes);
    if (Digest(path) != Digest(original))
        qFatal("%s differs from %s", qPrintable(path), qPrintable(original));
}

void Report(const char* direction, double component, double curl)
{
    const double megabytes = kFileBytes / (1024.0 * 1024.0);
    std::printf("%-9s component %8.1f MB/s   curl %8.1f MB/s   ratio %.2f\n", direction,
                megabytes / component, megabytes / curl, curl / component);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qputenv("SKIFF_NET_TIMEOUT", "60");
    SiteServer site;
    if (!site.start())
        qFatal("%s", qPrintable(site.errorString()));
    QTemporaryDir local;
    const QString curlBase =
        QStringLiteral("ftp://pell:%1@127.0.0.1:%2").arg(site.password()).arg(site.ftpPort());

    std::printf("Preparing a %lld MB file...\n", kFileBytes / (1024 * 1024));
    WriteRandomFile(site.sitePath(QStringLiteral("qxg/bench.bin")), kFileBytes);
    const QString upload = local.filePath(QStringLiteral("upload.bin"));
    WriteRandomFile(upload, kFileBytes);

    double componentDown = 1e9, curlDown = 1e9, componentUp = 1e9, curlUp = 1e9;
    // Best of several rounds, with the order switched every round, so that a
    // busy moment of the machine or a cold cache hurts neither side alone.
    for (int round = 0; round < kRounds; ++round) {
        const QString inetFile = local.filePath(QStringLiteral("inet.bin"));
        const QString curlFile = local.filePath(QStringLiteral("curl.bin"));
        const auto componentDownload = [&] {
            componentDown =
                std::min(componentDown, TimeComponent(QStringLiteral("get ") + kRemoteFolder +
                                                      QStringLiteral("bench.bin ") + inetFile));
            CheckCopy(inetFile, site.sitePath(QStringLiteral("qxg/bench.bin")));
            QFile::remove(inetFile);
        };
        const auto curlDownload = [&] {
            curlDown = std::min(curlDown,
                                TimeCurl({QStringLiteral("-o"), curlFile,
                                          curlBase + kRemoteFolder + QStringLiteral("bench.bin")}));
            CheckCopy(curlFile, site.sitePath(QStringLiteral("qxg/bench.bin")));
            QFile::remove(curlFile);
        };
        const auto componentUpload = [&] {
            componentUp = std::min(componentUp, TimeComponent(QStringLiteral("send ") + upload +
                                                              QLatin1Char(' ') + kRemoteFolder +
                                                              QStringLiteral("up_inet.bin")));
            CheckCopy(site.sitePath(QStringLiteral("qxg/up_inet.bin")), upload);
            QFile::remove(site.sitePath(QStringLiteral("qxg/up_inet.bin")));
        };
        const auto curlUpload = [&] {
            curlUp = std::min(curlUp,
                              TimeCurl({QStringLiteral("-T"), upload,
                                        curlBase + kRemoteFolder + QStringLiteral("up_curl.bin")}));
            CheckCopy(site.sitePath(QStringLiteral("qxg/up_curl.bin")), upload);
            QFile::remove(site.sitePath(QStringLiteral("qxg/up_curl.bin")));
        };
        if (round % 2 == 0) {
            componentDownload();
            curlDownload();
            componentUpload();
            curlUpload();
        } else {
            curlDownload();
            componentDownload();
            curlUpload();
            componentUpload();
        }
    }
    std::printf("Best of %d rounds, %lld MB each way, loopback:\n", kRounds,
                kFileBytes / (1024 * 1024));
    Report("download", componentDown, curlDown);
    Report("upload", componentUp, curlUp);

    Inet inet;
    inet.Host = SiteConfig::Host();
    inet.UserName = SiteConfig::FtpUserName();
    inet.Password = SiteConfig::FtpPassword();
    inet.Execute(QStringLiteral("cd ") + kRemoteFolder);
    Wait::UntilIdle(inet);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kListings; ++i) {
        inet.Execute(QStringLiteral("ls bench.bin"));
        Wait::UntilIdle(inet);
    }
    const double listingSeconds = timer.nsecsElapsed() / 1e9;
    std::printf("%d x \"ls bench.bin\" on one session: %.2f s, %.2f ms per command\n", kListings,
                listingSeconds, listingSeconds * 1000.0 / kListings);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("Peak resident memory of this process: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
