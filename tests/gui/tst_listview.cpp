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

QRect rowRect(ListView& list, const ListItem* item)
{
    QAbstractItemView* view = shownView(list);
    return view->visualRect(view->model()->index(item->index(), 0));
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
    void textsByColumnKey()
    {
        ListView list;
        fillFiles(list, {"Map.graal|3|Level one"});
        ListItem* map = list.findItem("map.graal");
        QCOMPARE(map->subItem("filename") + "|" + map->subItem("ver"),
                 QStringLiteral("Map.graal|3"));
        map->setSubItem("nothing", "lost");
        QCOMPARE(map->subItem("nothing"), QString());
        // The details view shows each text under its own header, at the
        // width given and at the width the member drags to.
        QCOMPARE(model(list)->index(0, 2).data().toString(), QStringLiteral("Level one"));
        QVERIFY(model(list)->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        QTreeView* report = list.findChild<QTreeView*>("reportView");
        QCOMPARE(report->columnWidth(2), 200);
        report->header()->resizeSection(2, 240);
        QCOMPARE(list.column(2).width, 240);
        map->setSubItem("desc", "Level two");
        QCOMPARE(model(list)->index(0, 2).data().toString(), QStringLiteral("Level two"));
    }

    void keysAreUniqueAndRowsGoAway()
    {
        ListView list;
        fillFiles(list, {"a.txt", "b.txt", "c.txt"});
        QVERIFY_THROWS_EXCEPTION(SkiffError, list.addItem("b.txt", "B.TXT"));
        QCOMPARE(list.findItem("b.txt")->text(), QStringLiteral("b.txt"));
        // Rows without a key (the explorer's) may be many.
        list.addItem("", "one");
        list.addItem("", "two");
        list.removeItem(list.findItem("b.txt"));
        QCOMPARE(list.findItem("c.txt")->index(), 1);
        QCOMPARE(model(list)->rowCount(), 4);
        list.clear();
        QCOMPARE(model(list)->rowCount(), 0);
        QVERIFY(list.addItem("a.txt", "a.txt")); // the key is free again
    }

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

    // Between beginUpdate and the outer endUpdate the views are not told of
    // each row; they get the rows once, sorted and with their marks.
    void updateShowsRowsOnceSortedWithTheirMarks()
    {
        ListView list;
        list.setCheckboxes(true);
        fillFiles(list, {"old.txt"});
        for (int n = 0; n < 40; ++n)
            list.addItem(QStringLiteral("old%1").arg(n), QStringLiteral("old %1").arg(n));
        SortListByColumn(list, 0);
        showList(list);
        QSignalSpy inserted(model(list), &QAbstractItemModel::rowsInserted);
        QSignalSpy resets(model(list), &QAbstractItemModel::modelReset);
        list.beginUpdate();
        list.clear();
        list.beginUpdate();
        for (const char* name : {"d.txt", "b.txt", "c.txt", "a.txt"})
            list.addItem(name, name);
        list.findItem("c.txt")->setSelected(true);
        list.findItem("d.txt")->setChecked(true);
        // The views still know 41 rows; painting them now must not fail.
        for (int mode = ListView::lvwIcon; mode <= ListView::lvwReport; ++mode) {
            list.setView(mode);
            QVERIFY(!list.grab().isNull());
        }
        list.endUpdate();
        QCOMPARE(resets.count(), 0);
        list.endUpdate();
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(keysInOrder(list), QStringLiteral("a.txt b.txt c.txt d.txt"));
        QCOMPARE(model(list)->index(3, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(shownSelected(list, list.findItem("c.txt")));
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
        QTest::mouseClick(shownView(list)->viewport(), Qt::LeftButton, {},
                          rowRect(list, a).center());
        list.setView(ListView::lvwReport);
        QVERIFY(shownSelected(list, a));
        QVERIFY(!list.findItem("b.gif")->selected());
    }

    // Where the view draws them, also after a rebuild that puts them back by
    // key (as the shared files window does) and a change of view.
    void smallIconPositionsAreKeptAndRestored()
    {
        ListView list;
        list.setImageList(NewFileListImages(&list));
        list.setView(ListView::lvwSmallIcon);
        for (const char* name : {"a.txt", "b.txt"})
            list.addItem(name, name, ".txt");
        showList(list);
        list.setItemPosition(list.findItem("a.txt"), QPoint(200, 150));
        list.setItemPosition(list.findItem("b.txt"), QPoint(10, 120));
        auto* view = list.findChild<QListView*>("smallIconView");
        QCOMPARE(view->visualRect(view->model()->index(0, 0)).topLeft(), QPoint(200, 150));

        list.beginUpdate();
        list.clear();
        for (const char* name : {"b.txt", "a.txt"})
            list.addItem(name, name, ".txt");
        list.endUpdate();
        list.setItemPosition(list.findItem("a.txt"), QPoint(200, 150));
        list.setItemPosition(list.findItem("b.txt"), QPoint(10, 120));
        list.setView(ListView::lvwReport);
        list.setView(ListView::lvwSmallIcon);
        QCoreApplication::processEvents();
        QCOMPARE(list.itemPosition(list.findItem("a.txt")), QPoint(200, 150));
        QCOMPARE(view->visualRect(view->model()->index(0, 0)).topLeft(), QPoint(10, 120));
    }

    void selectedItemPrefersTheFocusedRow()
    {
        ListView list;
        fillFiles(list, {"a.txt", "b.txt", "c.txt"});
        showList(list);
        ListItem* a = list.findItem("a.txt");
        list.findItem("c.txt")->setSelected(true);
        a->setSelected(true);
        QCOMPARE(list.selectedItem(), a); // nothing focused: the first selected
        const QPoint onB = rowRect(list, list.findItem("b.txt")).center();
        QTest::mouseClick(shownView(list)->viewport(), Qt::LeftButton, Qt::ControlModifier, onB);
        QCOMPARE(list.selectedItem(), list.findItem("b.txt"));
        QTest::mouseClick(shownView(list)->viewport(), Qt::LeftButton, Qt::ControlModifier, onB);
        QCOMPARE(list.selectedItem(), a); // focused but no longer selected
        list.setMultiSelect(false);
        list.findItem("b.txt")->setSelected(true); // one selection at a time
        QCOMPARE(list.selectedItems(), QList<ListItem*>{list.findItem("b.txt")});
    }

    void realInputGivesTheListsSignals()
    {
        ListView list;
        list.setCheckboxes(true);
        fillFiles(list, {"a.txt", "b.txt"});
        showList(list);
        QAbstractItemView* view = shownView(list);
        ListItem* b = list.findItem("b.txt");
        const QPoint onB = rowRect(list, b).center();
        QSignalSpy mouseUps(&list, &ListView::mouseUp);
        QSignalSpy clicks(&list, &ListView::itemClick);
        QSignalSpy doubles(&list, &ListView::dblClick);
        QSignalSpy keys(&list, &ListView::keyPress);
        QSignalSpy checks(&list, &ListView::itemCheck);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, onB);
        QCOMPARE(mouseUps.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(mouseUps.at(0).at(1).toPoint(), view->viewport()->mapToGlobal(onB));
        QVERIFY(b->selected()); // the right button selects the row it is over
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onB);
        QCOMPARE(clicks.at(0).at(0).value<ListItem*>(), b);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onB);
        QCOMPARE(doubles.count(), 1);
        // Enter on the keypad is Return too.
        QTest::keyClick(view, Qt::Key_Enter);
        QTest::keyClick(view, Qt::Key_A);
        QCOMPARE(keys.at(0).at(0).toInt(), int(Qt::Key_Return));
        QCOMPARE(keys.at(1).at(0).toInt(), int(Qt::Key_A));
        // Space on the focused row ticks it; ticking from code is silent.
        view->setCurrentIndex(view->model()->index(b->index(), 0));
        QTest::keyClick(view, Qt::Key_Space);
        list.findItem("a.txt")->setChecked(true);
        QCOMPARE(checks.count(), 1);
        QVERIFY(b->checked());
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
