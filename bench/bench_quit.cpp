// What "QUIT" followed by the next command costs: the command after a QUIT
// opens a new session (greeting, USER, PASS, PWD, CWD), so it should cost
// those round trips and nothing more. Printed beside the cost of one round
// trip on a live connection, against the bundled site server, or against
// the server that SKIFF_HOST, SKIFF_FTP_PORT and SKIFF_FTP_PASSWORD name
// (bench/bench_servers.sh runs it against proftpd that way).
//
// Twice: sessions back to back, as on loopback, and sessions that last half
// a second, as an operation's session does on a host 40 ms away. proftpd
// holds up new connections for 0.4 s after each session it ends, which no
// client avoids when its sessions are shorter than that.

#include "SiteServer.h"
#include "TestEnv.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/Wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>

namespace {

constexpr int kRounds = 20;
constexpr int kLongSessionMs = 500;

double TimedMs(Inet& inet, const QStringList& commands)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& command : commands) {
        Wait::ExecuteAndWait(inet, command);
        if (inet.LastCommandFailed()) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(command),
                         qPrintable(inet.ResponseInfo()));
            std::exit(1);
        }
    }
    return timer.nsecsElapsed() / 1e6;
}

struct Summary
{
    double median;
    double mean;
    double worst;
};

Summary Summarise(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples.at(samples.size() / 2),
            std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size(), samples.last()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::unique_ptr<SiteServer> site;
    const char* server = "the server named by SKIFF_FTP_PORT";
    if (qEnvironmentVariableIsEmpty("SKIFF_FTP_PORT")) {
        site = std::make_unique<SiteServer>();
        if (!site->start()) {
            std::fprintf(stderr, "site server: %s\n", qPrintable(site->errorString()));
            return 1;
        }
        server = "the bundled site server";
    }
    TestEnv env;
    Inet inet;
    inet.Host = SiteConfig::Host();
    inet.UserName = SiteConfig::FtpUserName();
    inet.Password = SiteConfig::FtpPassword();
    const QString group = QStringLiteral("cd ") + SiteConfig::GroupFolder();
    const QString top = QStringLiteral("cd ") + SiteConfig::SiteFolder();
    TimedMs(inet, {group});

    std::printf("%s, %d sessions each\n", server, kRounds);
    std::printf("%-36s %10s %10s %10s %8s\n", "", "median ms", "mean ms", "worst ms", "in RTT");
    for (const int sessionMs : {0, kLongSessionMs}) {
        QList<double> roundTrips;
        QList<double> afterQuit;
        for (int round = 0; round < kRounds; ++round) {
            // One round trip: a change of folder on the live connection.
            roundTrips << TimedMs(inet, {top});
            QThread::msleep(sessionMs);
            afterQuit << TimedMs(inet, {QStringLiteral("QUIT"), group});
        }
        const Summary one = Summarise(roundTrips);
        const Summary quit = Summarise(afterQuit);
        std::printf("sessions lasting %d ms:\n", sessionMs);
        std::printf("  %-34s %10.2f %10.2f %10.2f\n", "one round trip (CWD)", one.median, one.mean,
                    one.worst);
        std::printf("  %-34s %10.2f %10.2f %10.2f %8.1f\n", "QUIT, then cd (6 round trips)",
                    quit.median, quit.mean, quit.worst, quit.mean / one.mean);
    }
    return 0;
}
