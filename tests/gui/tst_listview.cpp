// The shared list widget on the offscreen platform: texts by column key,
// sorting, updates, the four views, icon positions, selection and tick
// marks, the signals real input produces, and the program's pictures.

#include "app/Errors.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/ListView.h"

#include <QHeaderView>
#include <QListView>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>

using modSkiff::SortListByColumn;

namespace {

QString keysInOrder(const ListView& list)
{
    QStringList keys;
    for (const ListItem* row : list.items())
        keys.append(row->key());
    return keys.join(' ');
}

// A list shaped like the shared files list: name, version, description.
void fillFiles(ListView& list, const QStringList& rows)
{
    list.addColumn("filename", "File Name", 180);
    list.addColumn("ver", "Latest Version", 60, Qt::AlignRight);
    list.addColumn("desc", "File Description", 200);
    for (const QString& row : rows) {
        const QStringList cells = row.split('|');
        ListItem* item = list.addItem(cells[0].toLower(), cells[0]);
        item->setSubItem("ver", cells.value(1));
        item->setSubItem("desc", cells.value(2));
    }
}

QAbstractItemView* shownView(ListView& list)
{
    return qobject_cast<QAbstractItemView*>(list.findChild<QStackedWidget*>()->currentWidget());
}

QAbstractItemModel* model(ListView& list)
{
    return list.findChild<QTreeView*>("reportView")->model();
}

bool shownSelected(ListView& list, const ListItem* item)
{
    return shownView(list)->selectionModel()->isRowSelected(item->index(), QModelIndex());
}

void showList(ListView& list)
{
    list.resize(500, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
}

} // namespace

class TestListView : public QObject
{
    Q_OBJECT
private slots:
    // Letters ignore case, digits count by value, equal values keep their
    // order in either direction, and rows keep their marks.
    void sortingIsNumericCaselessStableAndKeepsMarks()
    {
        ListView list;
        list.setCheckboxes(true);
        fillFiles(list, {"b10.txt|10", "B9.txt|9", "a2.txt|2", "c9.txt|9", "A10.txt|1"});
        list.findItem("c9.txt")->setSelected(true);
        list.findItem("a2.txt")->setChecked(true);
        SortListByColumn(list, 0);
        QCOMPARE(keysInOrder(list), QStringLiteral("a2.txt a10.txt b9.txt b10.txt c9.txt"));
        SortListByColumn(list, 1);
        QCOMPARE(keysInOrder(list), QStringLiteral("a10.txt a2.txt b9.txt c9.txt b10.txt"));
        SortListByColumn(list, 1); // the same column again reverses
        QCOMPARE(keysInOrder(list), QStringLiteral("b10.txt b9.txt c9.txt a2.txt a10.txt"));
        SortListByColumn(list, 0); // another column keeps the direction
        QCOMPARE(keysInOrder(list), QStringLiteral("c9.txt b10.txt b9.txt a10.txt a2.txt"));
        QCOMPARE(list.selectedItems(), QList<ListItem*>{list.findItem("c9.txt")});
        QVERIFY(shownSelected(list, list.item(0)));
        QCOMPARE(model(list)->index(4, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

        // A sorted list places added and edited rows; other columns leave
        // the order alone.
        SortListByColumn(list, 1);
        list.addItem("n.txt", "n.txt")->setSubItem("ver", "7");
        list.findItem("a10.txt")->setSubItem("ver", "30");
        list.findItem("b10.txt")->setSubItem("desc", "aaa");
        QCOMPARE(keysInOrder(list), QStringLiteral("a10.txt b10.txt c9.txt b9.txt n.txt a2.txt"));
    }

    // Clicks on the details header; until a window sorts, it goes on showing
    // the order the rows have.
    void headerClicksSortThroughTheWindow()
    {
        ListView list;
        fillFiles(list, {"b.txt|1|q", "a.txt|2|r", "c.txt|3|p"});
        showList(list);
        QHeaderView* header = list.findChild<QTreeView*>("reportView")->header();
        const auto clickHeader = [header](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 20, header->height() / 2));
        };
        clickHeader(1);
        QCOMPARE(keysInOrder(list), QStringLiteral("b.txt a.txt c.txt"));
        connect(&list, &ListView::columnClick, &list,
                [&list](int column) { SortListByColumn(list, column); });
        QSignalSpy clicks(&list, &ListView::columnClick);
        clickHeader(2);
        clickHeader(2);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(keysInOrder(list), QStringLiteral("a.txt b.txt c.txt"));
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void viewModesShareRowsSelectionAndTicks()
    {
        ListView list;
        list.setImageList(NewFileListImages(&list));
        list.setCheckboxes(true);
        fillFiles(list, {"a.txt", "b.gif", "c.mid"});
        list.findItem("b.gif")->setSelected(true);
        list.findItem("c.mid")->setChecked(true);
        showList(list);
        for (int mode = ListView::lvwIcon; mode <= ListView::lvwReport; ++mode) {
            list.setView(mode);
            QAbstractItemView* view = shownView(list);
            QVERIFY(view->isVisible());
            QVERIFY(shownSelected(list, list.findItem("b.gif")));
            QVERIFY(!shownSelected(list, list.findItem("a.txt")));
            QCOMPARE(view->model()->index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        }
        // A click in one view is the selection of every view.
        list.setView(ListView::lvwList);
        ListItem* a = list.findItem("a.txt");
        QAbstractItemView* view = shownView(list);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(a->index(), 0)).center());
        list.setView(ListView::lvwReport);
        QVERIFY(shownSelected(list, a));
        QVERIFY(!list.findItem("b.gif")->selected());
    }

    // Every picture loads and draws at both sizes; rows show them by key.
    void picturesFromTheImageLists()
    {
        QObject owner;
        for (ImageList* images :
             {NewFileListImages(&owner), NewUserImages(&owner), NewExplorerImages(&owner)}) {
            QVERIFY(!images->keys().isEmpty());
            for (const QString& key : images->keys())
                for (int size : {16, 32})
                    QVERIFY2(!images->icon(key).pixmap(size, size).toImage().isNull(),
                             qPrintable(key));
        }
        ImageList* files = owner.findChild<ImageList*>("imglstFileList");
        QCOMPARE(files->findKey(".GIF", Qt::CaseInsensitive), QStringLiteral(".gif"));
        QCOMPARE(files->findKey(".GIF", Qt::CaseSensitive), QString());

        ListView list;
        list.addColumn("filename", "File Name");
        ListItem* odd = list.addItem("b.zip", "b.zip", ".zip");
        list.setImageList(files);
        QVERIFY(model(list)->index(0, 0).data(Qt::DecorationRole).isNull());
        odd->setSmallIcon("new");
        QVERIFY(!model(list)->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    }
};

QTEST_MAIN(TestListView)
#include "tst_listview.moc"
