// Check out, check in and get latest version of 1, 10 and 50 files against
// the local site: the FTP commands the server received per file and the wall
// time per file, beside the number of commands the operations prescribe.
// Then 50 files again with the site 40 ms away, where the round trips decide
// the time: every protocol command (log line) costs one, so the time per
// file is held against 1.3 times the protocol commands per file at 40 ms.
// Each runs plain and over TLS; "full/res" counts the TLS handshakes, full
// and resumed, of the control and data connections.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "ui/filelist/frmCheckIn.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <cstdio>

namespace {

// Commands as the server logs them ("rename" arrives as RNFR and RNTO),
// per file and for the whole operation, from the operations' steps. The
// list rebuilt at the end costs QUIT, CWD and RETR; so does the fetch of
// the control file in a change, and its upload costs DELE, RNFR, RNTO and
// STOR. A change of the control file is made once per operation, under the
// server's change lock: MKD and STOR of the holder file before, DELE and
// RMD after.
struct Prescribed
{
    int perFile;
    int fixed;
};
constexpr int kLock = 4;
constexpr int kChange = kLock + 3 + 4;
// cd, ls, get; the records in one change.
constexpr Prescribed kCheckOut{3, kChange + 3};
// DELE, RNFR, RNTO, STOR, and the backup's DELE once the records changed;
// a fetch to see the files are still held, QUIT and cd, one change.
constexpr Prescribed kCheckIn{5, 3 + 2 + kChange + 3};
// cd, ls, get.
constexpr Prescribed kGetLatest{3, 3};

// The most protocol commands (log lines) per file that each may cost at 50 files.
constexpr double kCheckOutTarget = 5;
constexpr double kCheckInTarget = 10;
constexpr double kGetLatestTarget = 4.2;

struct Figures
{
    int logLines = 0;
    int commands = 0;
    double ms = 0;
    int fullHandshakes = 0;    // TLS, control and data connections
    int resumedHandshakes = 0;
};

template <typename Operation> Figures Measure(const SiteServer& site, Operation operation)
{
    site.clearLog();
    QElapsedTimer timer;
    timer.start();
    operation();
    Figures figures;
    figures.ms = timer.nsecsElapsed() / 1e6;
    const QStringList log = site.ftpLog();
    figures.logLines = int(log.size());
    figures.commands = int(OperationCommands(log).size());
    for (const QString& handshake : site.tlsHandshakes())
        ++(handshake.endsWith(QLatin1String("full")) ? figures.fullHandshakes
                                                     : figures.resumedHandshakes);
    return figures;
}

const char* g_tls = "off"; // the TLS policy of the rows being printed

void Print(const char* operation, int files, int latency, const Figures& figures,
           Prescribed prescribed, double target)
{
    const double protocolPerFile = double(figures.logLines) / files;
    std::printf("%-12s %-7s %5d %4d %4d/%-4d %9d %9d %10.1f %10d %10.1f %6.0f %10.1f %10.2f %9.0f\n",
                operation, g_tls, files, latency, figures.fullHandshakes,
                figures.resumedHandshakes, figures.logLines, figures.commands,
                double(figures.commands) / files, prescribed.perFile * files + prescribed.fixed,
                protocolPerFile, target, figures.ms, figures.ms / files,
                1.3 * protocolPerFile * latency);
}

QStringList Names(int files)
{
    QStringList names;
    for (int i = 0; i < files; ++i)
        names << QStringLiteral("chapter %1.txt").arg(i + 1, 2, 10, QLatin1Char('0'));
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedServices services;
    const QByteArray content(8 * 1024, 'x');

    std::printf("%-12s %-7s %5s %4s %9s %9s %9s %10s %10s %10s %6s %10s %10s %9s\n", "operation",
                "tls", "files", "rtt", "full/res", "log lines", "commands", "cmd/file", "prescribed", "proto/file", "target",
                "ms", "ms/file", "ms target");
    const std::pair<int, const char*> runs[] = {{0, "off"}, {0, "require"}, {40, "off"},
                                                {40, "require"}};
    for (const auto& [latency, tls] : runs) {
        g_tls = tls;
        qputenv("SKIFF_TLS", tls);
        SiteServer site;
        site.setLatency(latency);
        site.setTls(QString::fromLatin1(tls));
        if (!site.start()) {
            std::fprintf(stderr, "site server: %s\n", qPrintable(site.errorString()));
            return 1;
        }
        for (const int files : latency == 0 ? QList<int>{1, 10, 50} : QList<int>{50}) {
            QDir(site.sitePath(QStringLiteral("qxg"))).removeRecursively();
            QDir().mkpath(site.sitePath(QStringLiteral("qxg")));
            const QStringList names = Names(files);
            QStringList records;
            for (const QString& name : names) {
                records << RecordLine(name, 3, QString(), QStringLiteral("Orrin"),
                                      QStringLiteral("a chapter"), QStringLiteral("Orrin: draft"));
                PublishSharedFile(site, name, content);
            }
            PublishControlFile(site, records);

            Member ann(QStringLiteral("Ann"));
            Member bob(QStringLiteral("Bob"));
            if (!ann.open() || !bob.open()) {
                std::fprintf(stderr, "the list did not open\n");
                return 1;
            }

            ann.activate();
            ann.select(names);
            Print("check out", files, latency, Measure(site, [&] { ann.window()->CheckOut(); }),
                  kCheckOut, kCheckOutTarget);

            for (const QString& name : names)
                ann.env.writeLocal(name, content + "edited");
            ann.select(names);
            WhenShown<frmCheckIn>([](frmCheckIn* dialog) { dialog->cmdCheckInAll->click(); });
            Print("check in", files, latency, Measure(site, [&] { ann.window()->CheckIn(); }),
                  kCheckIn, kCheckInTarget);

            bob.activate();
            bob.select(names);
            Print("get latest", files, latency,
                  Measure(site, [&] { bob.window()->GetLatestVersion(); }), kGetLatest,
                  kGetLatestTarget);
            if (!services.shown.isEmpty()) {
                std::fprintf(stderr, "unexpected message: %s\n",
                             qPrintable(services.last().prompt));
                return 1;
            }
        }
    }
    return 0;
}
