// The web site explorer against the local site server:
//  - listing and showing a folder of 2,000 files and 200 subfolders (and
//    smaller ones): FTP commands sent, the time to list it and fill the tree
//    and the list, the time per entry, and a second visit from the cache;
//  - opening the explorer with the preview pane hidden, and the cost of
//    showing the pane once (the web engine is made on first show): time and
//    memory, the engine's own processes included;
//  - the first visit of each folder again from a host 40 ms away, next to
//    its time on loopback plus 1.3 round trips per protocol command (and one
//    for the data's first byte).

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "ui/Resources.h"
#include "ui/explorer/frmExplorer.h"
#include "ui/services/DesktopServices.h"
#include "ui/widgets/BrowserView.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ListView.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// Resident memory of a process, in megabytes.
double residentMegabytes(const QString& pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

QString parentOf(const QString& pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray text = stat.readAll();
    // "pid (name) state ppid ...": the name may hold blanks.
    const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return rest.size() > 1 ? QString::fromLatin1(rest.at(1)) : QString();
}

bool isSiteServer(const QString& pid)
{
    QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return command.open(QIODevice::ReadOnly) && command.readAll().contains("site_server.py");
}

// This process and every process it started, with theirs, less the local
// site server, which is no part of Skiff.
double skiffMegabytes()
{
    QStringList tree{QString::number(getpid())};
    bool grew = true;
    const QStringList all = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    while (grew) {
        grew = false;
        for (const QString& pid : all) {
            if (pid.toInt() > 0 && !tree.contains(pid) && tree.contains(parentOf(pid)) &&
                !isSiteServer(pid)) {
                tree << pid;
                grew = true;
            }
        }
    }
    double total = 0;
    for (const QString& pid : tree)
        total += residentMegabytes(pid);
    return total;
}

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

void fillFolder(const SiteServer& site, const QString& folder, int files, int subfolders)
{
    const QString path = site.sitePath(folder);
    QDir().mkpath(path);
    for (int i = 0; i < files; ++i) {
        QFile file(path + QStringLiteral("/page %1.html").arg(i, 4, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write("<html></html>");
    }
    for (int i = 0; i < subfolders; ++i)
        QDir().mkpath(path + QStringLiteral("/section %1").arg(i, 3, 10, QLatin1Char('0')));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    InitResources();
    DesktopServices::Install();
    ScriptedServices services;
    SiteServer site;
    if (!site.start()) {
        std::fprintf(stderr, "site server: %s\n", qPrintable(site.errorString()));
        return 1;
    }
    TestEnv env(QStringLiteral("Orrin"), 4);

    const QList<int> sizes = {200, 500, 1000, 2000};
    for (const int files : sizes)
        fillFolder(site, QStringLiteral("big%1").arg(files), files, files / 10);

    // --- start-up, preview pane hidden, then shown once
    const double before = skiffMegabytes();
    QElapsedTimer timer;
    timer.start();
    auto* window = new frmExplorer;
    window->Do_ShowWebPage();
    const double openMs = timer.nsecsElapsed() / 1e6;
    QTest::qWait(200);
    const double hidden = skiffMegabytes();

    // Best of three windows, each listing every folder once from the server
    // and once more from its cache.
    struct Figures
    {
        double listMs = 1e12;
        double cachedMs = 1e12;
        int commands = 0;
    };
    QList<Figures> figures(sizes.size());
    for (int run = 0; run < 3; ++run) {
        if (run > 0) {
            delete window;
            window = new frmExplorer;
            window->Do_ShowWebPage();
        }
        QTreeWidgetItem* root = window->tvwExplorer->topLevelItem(0);
        for (int i = 0; i < sizes.size(); ++i) {
            const int files = sizes.at(i);
            QTreeWidgetItem* node = childNamed(root, QStringLiteral("big%1").arg(files));
            if (!node) {
                std::fprintf(stderr, "no folder big%d in the tree\n", files);
                return 1;
            }
            site.clearLog();
            timer.restart();
            window->tvwExplorer->setCurrentItem(node);
            figures[i].listMs = std::min(figures[i].listMs, timer.nsecsElapsed() / 1e6);
            figures[i].commands = int(site.ftpLog().size());
            if (window->lvwExplorer->count() != files || node->childCount() != files / 10) {
                std::fprintf(stderr, "big%d listed %d files and %d folders\n", files,
                             window->lvwExplorer->count(), node->childCount());
                return 1;
            }
            window->tvwExplorer->setCurrentItem(root);
            timer.restart();
            window->tvwExplorer->setCurrentItem(node);
            figures[i].cachedMs = std::min(figures[i].cachedMs, timer.nsecsElapsed() / 1e6);
            window->tvwExplorer->setCurrentItem(root);
        }
    }

    std::printf("Listing a folder as an administrator (local site server, best of 3, %s previews)\n",
                BrowserView::UsesWebEngine() ? "Qt WebEngine" : "QTextBrowser");
    std::printf("%8s %8s %10s %12s %14s %12s %16s\n", "files", "folders", "FTP cmds",
                "list+fill ms", "us per entry", "cached ms", "cached us/entry");
    for (int i = 0; i < sizes.size(); ++i) {
        const int entries = sizes.at(i) + sizes.at(i) / 10;
        std::printf("%8d %8d %10d %12.1f %14.1f %12.1f %16.1f\n", sizes.at(i), sizes.at(i) / 10,
                    figures[i].commands, figures[i].listMs, figures[i].listMs * 1000.0 / entries,
                    figures[i].cachedMs, figures[i].cachedMs * 1000.0 / entries);
    }

    timer.restart();
    window->cmdPreviewPAne->click();
    const double showMs = timer.nsecsElapsed() / 1e6;
    window->webPreview->Navigate(QStringLiteral("about:blank"));
    QTest::qWait(3000); // the engine's processes start in the background
    const double shown = skiffMegabytes();

    std::printf("\nOpening the explorer (root listed): %.1f ms, memory %.1f MB -> %.1f MB "
                "(Skiff and the processes it started)\n",
                openMs, before, hidden);
    std::printf("Preview pane shown once: %.1f ms to show and make the engine, memory %.1f MB -> %.1f MB (+%.1f MB)\n",
                showMs, hidden, shown, shown - hidden);
    delete window;

    // The same listings from a far host: every protocol command a round
    // trip of 40 ms (the data connection's first byte waits as well).
    constexpr int kLatencyMs = 40;
    site.stop();
    site.setLatency(kLatencyMs);
    if (!site.start()) {
        std::fprintf(stderr, "site server: %s\n", qPrintable(site.errorString()));
        return 1;
    }
    window = new frmExplorer;
    window->Do_ShowWebPage();
    QTreeWidgetItem* root = window->tvwExplorer->topLevelItem(0);
    std::printf("\nListing a folder from a host %d ms away (first visit)\n", kLatencyMs);
    std::printf("%8s %10s %10s %12s\n", "files", "FTP cmds", "ms", "ms target");
    for (int i = 0; i < sizes.size(); ++i) {
        const int files = sizes.at(i);
        QTreeWidgetItem* node = childNamed(root, QStringLiteral("big%1").arg(files));
        if (!node)
            return 1;
        site.clearLog();
        timer.restart();
        window->tvwExplorer->setCurrentItem(node);
        const double ms = timer.nsecsElapsed() / 1e6;
        const int commands = int(site.ftpLog().size());
        std::printf("%8d %10d %10.1f %12.0f\n", files, commands, ms,
                    figures[i].listMs + 1.3 * (commands + 1) * kLatencyMs);
        window->tvwExplorer->setCurrentItem(root);
    }
    delete window;
    return services.shown.isEmpty() ? 0 : 1;
}
