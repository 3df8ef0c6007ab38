// Fill, sort and memory figures of the shared list widget with the shared
// files list's seven columns, for growing numbers of rows.

#include "ui/widgets/ImageList.h"
#include "ui/widgets/ListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

const char* const kStates[] = {"open", "unlocked", "locked", "old", "new", ".txt", ".gif"};

// Heap bytes in use, in kilobytes (freed memory does not count, unlike the
// resident size, which keeps what earlier rounds gave back).
long heapKb()
{
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

void addColumns(ListView& list)
{
    list.addColumn("filename", "File Name", 180);
    list.addColumn("owner", "Checked Out", 90);
    list.addColumn("comment", "Last Updated By", 220);
    list.addColumn("desc", "File Description", 220);
    list.addColumn("author", "Owner", 90);
    list.addColumn("ver", "Latest Version", 60, Qt::AlignRight);
    list.addColumn("myver", "My Version", 60, Qt::AlignRight);
}

struct Row
{
    QString key, text, icon;
    QStringList texts; // owner, comment, desc, author, ver, myver
};

// The rows' texts, made before the clock starts so that only the list's
// work is timed. Names are scattered so that sorting has work to do.
std::vector<Row> makeRows(int rows)
{
    std::vector<Row> made;
    made.reserve(size_t(rows));
    for (int n = 0; n < rows; ++n) {
        const int scrambled = int((n * 7919L) % rows);
        const QString name = QStringLiteral("Level %1 map.graal").arg(scrambled);
        made.push_back(
            {name.toLower(),
             name,
             QLatin1String(kStates[n % 7]),
             {n % 5 == 0 ? QStringLiteral("Brenn") : QString(),
              QStringLiteral("Tavi: moved the bridge %1").arg(n % 97),
              QStringLiteral("Map of the north shore, part %1").arg(n % 313),
              QStringLiteral("Orrin"), QString::number(n % 41 + 1), QString::number(n % 37)}});
    }
    return made;
}

void fill(ListView& list, const std::vector<Row>& rows)
{
    static const char* const columns[] = {"owner", "comment", "desc", "author", "ver", "myver"};
    list.beginUpdate();
    list.clear();
    for (const Row& data : rows) {
        ListItem* row = list.addItem(data.key, data.text, data.icon);
        for (int column = 0; column < 6; ++column)
            row->setSubItem(QLatin1String(columns[column]), data.texts[column]);
    }
    list.endUpdate();
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::printf("%7s %9s %11s %9s %9s %9s %11s %9s %9s\n", "rows", "fill ms", "refill ms",
                "paint ms", "sort ms", "rev ms", "small ms", "list KB", "total KB");
    for (int rows : {1000, 5000, 20000}) {
        const long start = heapKb();
        ListView list;
        list.resize(900, 600);
        list.setImageList(NewFileListImages(&list));
        addColumns(list);
        list.show();
        QApplication::processEvents();

        const std::vector<Row> data = makeRows(rows);
        const long textsMade = heapKb();
        QElapsedTimer timer;
        timer.start();
        fill(list, data);
        const double fillMs = msSince(timer);
        const long listKb = heapKb() - textsMade;
        const long totalKb = heapKb() - start;

        // A rebuild as a refresh does it: the same rows again.
        timer.restart();
        fill(list, data);
        const double refillMs = msSince(timer);

        timer.restart();
        list.repaint();
        QApplication::processEvents();
        const double paintMs = msSince(timer);

        timer.restart();
        modSkiff::SortListByColumn(list, 3); // description texts with numbers
        const double sortMs = msSince(timer);
        timer.restart();
        modSkiff::SortListByColumn(list, 3);
        const double reverseMs = msSince(timer);

        // The first layout of the freely placed small icons.
        timer.restart();
        list.setView(ListView::lvwSmallIcon);
        list.setItemPosition(list.item(rows - 1), QPoint(10, 10));
        QApplication::processEvents();
        const double smallMs = msSince(timer);

        std::printf("%7d %9.1f %11.1f %9.1f %9.1f %9.1f %11.1f %9ld %9ld\n", rows, fillMs, refillMs,
                    paintMs, sortMs, reverseMs, smallMs, listKb, totalKb);
    }
    std::printf("fill/refill: beginUpdate, clear, rows with six texts each, endUpdate (shown, "
                "details view)\nsort/rev: SortListByColumn on the description column, twice\n"
                "small: switching to small icons and placing one icon (first layout)\n"
                "list KB: heap taken by the rows beyond their texts; total KB: with the texts "
                "and the widget\n");
    return 0;
}
