// The shared files list rebuilt from control files of 1,000, 5,000 and
// 20,000 records fetched from the local site server: the whole of
// UpdateFileList (fetch, checks, rows, pictures), per rebuild and per
// record, and the process's peak memory. Then a hostile control file, every
// record of one name, at 2,000, 8,000 and 32,767 records (the most a count
// line can claim): the rebuild must stay linear. Then how long closing the
// window takes while the server hangs (the aim: at most 5 seconds, and not
// much less).

#include "ScriptedServices.h"
#include "SharedFilesFixture.h"

#include "store/FileVersions.h"
#include "ui/services/DesktopServices.h"

#include "transport/Inet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

QStringList sameName(int count)
{
    return QStringList(count, RecordLine(QStringLiteral("same.txt"), 1));
}

QStringList records(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines << RecordLine(QStringLiteral("document %1.txt").arg(i), i % 40 + 1,
                            i % 7 == 0 ? QStringLiteral("Brenn") : QString(),
                            QStringLiteral("Orrin"),
                            QString::fromUtf8("Chapter notes, draft for the café meeting"),
                            QStringLiteral("Tavi: revised section %1").arg(i % 13));
    return lines;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DesktopServices::Install();
    ScriptedServices services;
    SiteServer site;
    if (!site.start()) {
        std::fprintf(stderr, "site server: %s\n", qPrintable(site.errorString()));
        return 1;
    }
    Member member(QStringLiteral("Ann"));
    std::printf("UpdateFileList against the local site server (best of 5 rebuilds)\n");
    std::printf("%8s %12s %14s %18s %10s\n", "records", "rebuild ms", "us per record",
                "us per added rec.", "peak MB");
    double previousMs = 0;
    int previousCount = 0;
    for (const int count : {1000, 5000, 20000}) {
        PublishControlFile(site, records(count));
        // Every third file has a local copy, some of them out of date.
        for (int i = 0; i < count; i += 3)
            FileVersions::Set(QStringLiteral("document %1.txt").arg(i), short(i % 40 + (i % 2)));
        if (!member.open() || member.list()->count() != count) {
            std::fprintf(stderr, "the list was not built for %d records\n", count);
            return 1;
        }
        double best = 1e12;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            member.window()->UpdateFileList();
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        // The growth from the previous size shows whether the cost per record is flat;
        // the rebuild also pays a fixed few round trips to the server.
        const double marginal =
            previousCount ? (best - previousMs) * 1000.0 / (count - previousCount) : 0.0;
        std::printf("%8d %12.1f %14.2f %18.2f %10.1f\n", count, best, best * 1000.0 / count,
                    marginal, peakMegabytes());
        previousMs = best;
        previousCount = count;
    }

    std::printf("\nEvery record of one name (best of 3 rebuilds)\n");
    std::printf("%8s %12s %14s\n", "records", "rebuild ms", "us per record");
    for (const int count : {2000, 8000, 32767}) {
        PublishControlFile(site, sameName(count));
        double best = 1e12;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            member.window()->UpdateFileList();
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        if (member.list()->count() != count) {
            std::fprintf(stderr, "the list was not built for %d records of one name\n", count);
            return 1;
        }
        std::printf("%8d %12.1f %14.2f\n", count, best, best * 1000.0 / count);
    }

    // "QUIT" queued behind a command a silent server never answers.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost);
    qputenv("SKIFF_NET_TIMEOUT", "60");
    frmFileList* window = member.window();
    window->inet->Execute(QStringLiteral("QUIT"));
    window->inet->RemotePort = silent.serverPort();
    window->inet->Execute(QStringLiteral("ls a.txt"));
    QElapsedTimer closing;
    closing.start();
    window->close();
    std::printf("Closing the window while the server hangs: %.1f s\n", closing.elapsed() / 1e3);
    return services.shown.isEmpty() ? 0 : 1;
}
