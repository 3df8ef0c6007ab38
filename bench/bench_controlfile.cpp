// Reading and rewriting control files of 1,000 to 20,000 records, and
// looking up the member's local version of every file, as the shared files
// list does on every rebuild.

#include "TestEnv.h"
#include "store/ControlFile.h"
#include "store/ControlFileRewrite.h"
#include "store/FileState.h"
#include "store/FileVersions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

QByteArray makeControlFile(int records)
{
    QByteArray bytes;
    ControlFile::AppendHeader(bytes, QStringLiteral("2.0.3"), short(records));
    FileRecord record;
    record.Author = QStringLiteral("Orrin");
    record.Description = QString::fromUtf8("Chapter notes, draft for the café meeting");
    for (int i = 0; i < records; ++i) {
        record.Name = QStringLiteral("document %1.txt").arg(i);
        record.CurrentVersion = short(i % 40 + 1);
        record.Controller = i % 7 == 0 ? QStringLiteral("Brenn") : QString();
        record.Comment = QStringLiteral("Tavi: revised section %1").arg(i % 13);
        ControlFile::AppendRecord(bytes, record);
    }
    return bytes;
}

// Best of a few runs, in milliseconds.
template <typename Work> double bestOf(int runs, Work work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestEnv env;
    std::printf("%8s %10s %12s %12s %12s %14s\n", "records", "bytes", "read ms", "rewrite ms",
                "states ms", "read ms/1000");
    for (const int records : {1000, 5000, 20000}) {
        const QByteArray file = makeControlFile(records);
        env.writeLocal(ControlFile::FileName(), file);
        for (int i = 0; i < records; i += 2)
            FileVersions::Set(QStringLiteral("document %1.txt").arg(i), short(i % 40 + 1));

        const double read = bestOf(10, [] {
            const ControlFile::Contents contents = ControlFile::Read(ControlFile::FileName());
            if (contents.listedCount() == 0)
                std::abort();
        });
        FileDetailsValues values;
        values.pvarController = QStringLiteral("Ann");
        const QString last = QStringLiteral("document %1.txt").arg(records - 1);
        const double rewrite =
            bestOf(10, [&] { RewriteControlFile(last, RecordChange::Update, values); });
        const ControlFile::Contents contents = ControlFile::Read(ControlFile::FileName());
        int outdated = 0;
        const double states = bestOf(10, [&] {
            outdated = 0;
            for (const FileRecord& record : contents.records) {
                const FileState state = GetFileState(record.Controller, record.CurrentVersion,
                                                     FileVersions::Get(record.Name), "Ann");
                outdated += state == FileState::Old || state == FileState::New;
            }
        });
        if (outdated == 0)
            std::abort();
        std::printf("%8d %10lld %12.2f %12.2f %12.2f %14.3f\n", records,
                    static_cast<long long>(file.size()), read, rewrite, states,
                    read * 1000.0 / records);
    }
    return 0;
}
