// The shared list widget on the offscreen platform: columns and texts by
// key, sorting, the four views, icon positions, selection and tick marks,
// the signals real input produces, and the program's image lists.

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

QStringList keysInOrder(const ListView& list)
{
    QStringList keys;
    for (const ListItem* row : list.items())
        keys.append(row->key());
    return keys;
}

// A list shaped like the shared files list, rows in the order given.
void fillFiles(ListView& list, const QList<QStringList>& rows)
{
    list.addColumn("filename", "File Name", 180);
    list.addColumn("ver", "Latest Version", 60, Qt::AlignRight);
    list.addColumn("desc", "File Description", 200);
    for (const QStringList& row : rows) {
        ListItem* item = list.addItem(row[0].toLower(), row[0]);
        item->setSubItem("ver", row[1]);
        item->setSubItem("desc", row[2]);
    }
}

QTreeView* reportView(ListView& list)
{
    return list.findChild<QTreeView*>("reportView");
}

QAbstractItemView* shownView(ListView& list)
{
    return qobject_cast<QAbstractItemView*>(list.findChild<QStackedWidget*>()->currentWidget());
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

// Share of the opaque pixels in the picture's lower right quarter, where
// the state mark sits, that have the given hue (degrees, +-tolerance).
double shareOfHue(const QIcon& icon, int hue, int tolerance)
{
    const QImage image = icon.pixmap(32, 32).toImage();
    int matching = 0, opaque = 0;
    for (int y = 16; y < 32; ++y) {
        for (int x = 16; x < 32; ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() < 200 || colour.hsvSaturation() < 90)
                continue;
            ++opaque;
            const int distance = std::abs(colour.hsvHue() - hue);
            if (std::min(distance, 360 - distance) <= tolerance)
                ++matching;
        }
    }
    return opaque == 0 ? 0.0 : double(matching) / opaque;
}

} // namespace

class TestListView : public QObject
{
    Q_OBJECT
private slots:
    void columnsAndTextsByKey()
    {
        ListView list;
        fillFiles(list, {{"Map.graal", "3", "Level one"}});
        QCOMPARE(list.columnCount(), 3);
        QCOMPARE(list.columnIndex("desc"), 2);
        QCOMPARE(list.columnIndex("nothing"), -1);
        const ColumnHeader ver = list.column(1);
        QCOMPARE(ver.key, QStringLiteral("ver"));
        QCOMPARE(ver.text, QStringLiteral("Latest Version"));
        QCOMPARE(ver.width, 60);
        QCOMPARE(ver.alignment, Qt::Alignment(Qt::AlignRight));

        ListItem* map = list.findItem("map.graal");
        QVERIFY(map);
        QCOMPARE(map->subItem("ver"), QStringLiteral("3"));
        QCOMPARE(map->subItem("filename"), QStringLiteral("Map.graal"));
        QCOMPARE(map->subItem("nothing"), QString());
        map->setSubItem("nothing", "lost");
        QCOMPARE(map->subItem("nothing"), QString());

        // The details view shows each text under its own header, with the
        // widths given and the widths the member drags to.
        QTreeView* report = reportView(list);
        QAbstractItemModel* model = report->model();
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("File Description"));
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("Level one"));
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Map.graal"));
        QVERIFY(model->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        QCOMPARE(report->columnWidth(0), 180);
        QCOMPARE(report->columnWidth(2), 200);
        report->header()->resizeSection(2, 240);
        QCOMPARE(list.column(2).width, 240);
        map->setSubItem("desc", "Level two");
        QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("Level two"));

        // New columns start empty rather than showing the old columns' texts.
        list.clearColumns();
        QCOMPARE(list.columnCount(), 0);
        list.addColumn("owner", "Checked Out");
        list.addColumn("comment", "Last Updated By");
        QCOMPARE(map->subItem("comment"), QString());
        QCOMPARE(model->index(0, 1).data().toString(), QString());
        QCOMPARE(map->text(), QStringLiteral("Map.graal"));
    }

    void findRemoveAndClear()
    {
        ListView list;
        fillFiles(list, {{"a.txt", "1", ""}, {"b.txt", "2", ""}, {"c.txt", "3", ""}});
        ListItem* b = list.findItem("b.txt");
        QCOMPARE(b->index(), 1);
        QCOMPARE(list.item(1), b);
        QCOMPARE(b->listView(), &list);
        QVERIFY(!list.item(3) && !list.item(-1));

        try {
            list.addItem("b.txt", "B.TXT");
            QFAIL("a second row with the same key was accepted");
        } catch (const SkiffError& error) {
            QCOMPARE(error.description(), QStringLiteral("Key is not unique in collection"));
        }
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.findItem("b.txt")->text(), QStringLiteral("b.txt"));
        // Rows without a key (the explorer's) may be many.
        list.addItem("", "one");
        list.addItem("", "two");
        QCOMPARE(list.count(), 5);

        list.removeItem(b);
        QVERIFY(!list.findItem("b.txt"));
        QCOMPARE(list.findItem("c.txt")->index(), 1);
        QCOMPARE(reportView(list)->model()->rowCount(), 4);
        QCOMPARE(reportView(list)->model()->index(1, 0).data().toString(), QStringLiteral("c.txt"));

        list.clear();
        QCOMPARE(list.count(), 0);
        QVERIFY(!list.findItem("a.txt"));
        QCOMPARE(reportView(list)->model()->rowCount(), 0);
        QVERIFY(list.addItem("a.txt", "a.txt")); // the key is free again
    }

    void sortingIsNumericCaselessStableAndKeepsMarks()
    {
        ListView list;
        list.setCheckboxes(true);
        fillFiles(list, {{"b10.txt", "10", "x"},
                         {"B9.txt", "9", "y"},
                         {"a2.txt", "2", "x"},
                         {"c9.txt", "9", "z"},
                         {"A10.txt", "1", "y"}});
        list.findItem("c9.txt")->setSelected(true);
        list.findItem("a2.txt")->setChecked(true);

        list.setSortKey(0);
        list.setSorted(true);
        // Letters ignore case, digits count by value: a2 < A10 < B9 < b10.
        QCOMPARE(keysInOrder(list),
                 QStringList({"a2.txt", "a10.txt", "b9.txt", "b10.txt", "c9.txt"}));

        list.setSortKey(1);
        QCOMPARE(keysInOrder(list),
                 QStringList({"a10.txt", "a2.txt", "b9.txt", "c9.txt", "b10.txt"}));
        list.setSortOrder(Qt::DescendingOrder);
        // Equal versions keep their previous order in either direction.
        QCOMPARE(keysInOrder(list),
                 QStringList({"b10.txt", "b9.txt", "c9.txt", "a2.txt", "a10.txt"}));

        ListItem* c9 = list.findItem("c9.txt");
        ListItem* a2 = list.findItem("a2.txt");
        QCOMPARE(c9->index(), 2);
        QCOMPARE(list.selectedItems(), QList<ListItem*>({c9}));
        QVERIFY(shownSelected(list, c9));
        QVERIFY(!shownSelected(list, list.item(0)));
        QAbstractItemModel* model = reportView(list)->model();
        QCOMPARE(model->index(a2->index(), 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(model->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(model->index(c9->index(), 1).data().toString(), QStringLiteral("9"));

        QHeaderView* header = reportView(list)->header();
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void manyTiesKeepTheirOrder()
    {
        // Enough rows that a sort which is not stable shows it.
        ListView list;
        list.addColumn("filename", "File Name");
        list.addColumn("ver", "Latest Version");
        QStringList expectedUp[3];
        for (int n = 0; n < 60; ++n) {
            const QString key = QStringLiteral("r%1").arg(n, 2, 10, QLatin1Char('0'));
            list.addItem(key, key)->setSubItem("ver", QString::number(n * 7 % 3));
            expectedUp[n * 7 % 3].append(key);
        }
        SortListByColumn(list, 1);
        QCOMPARE(keysInOrder(list), expectedUp[0] + expectedUp[1] + expectedUp[2]);
        SortListByColumn(list, 1);
        QCOMPARE(keysInOrder(list), expectedUp[2] + expectedUp[1] + expectedUp[0]);
    }

    void sortedListPlacesAddedAndEditedRows()
    {
        ListView list;
        fillFiles(list, {{"m.txt", "5", ""}, {"z.txt", "20", ""}});
        SortListByColumn(list, 1);
        ListItem* added = list.addItem("n.txt", "n.txt");
        added->setSubItem("ver", "7");
        QCOMPARE(keysInOrder(list), QStringList({"m.txt", "n.txt", "z.txt"}));
        list.findItem("m.txt")->setSubItem("ver", "30");
        QCOMPARE(keysInOrder(list), QStringList({"n.txt", "z.txt", "m.txt"}));
        QCOMPARE(list.findItem("m.txt")->index(), 2);
        QCOMPARE(reportView(list)->model()->index(2, 0).data().toString(), QStringLiteral("m.txt"));
        // Texts of other columns leave the order alone.
        list.findItem("m.txt")->setSubItem("desc", "aaa");
        QCOMPARE(list.findItem("m.txt")->index(), 2);
    }

    void sortListByColumnFollowsTheHeaderClicks()
    {
        ListView list;
        fillFiles(list, {{"b.txt", "1", "q"}, {"a.txt", "2", "r"}, {"c.txt", "3", "p"}});
        QVERIFY(!list.sorted());

        SortListByColumn(list, 2);
        QVERIFY(list.sorted());
        QCOMPARE(list.sortKey(), 2);
        QCOMPARE(list.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(keysInOrder(list), QStringList({"c.txt", "b.txt", "a.txt"}));

        SortListByColumn(list, 2); // the same column again reverses
        QCOMPARE(list.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(keysInOrder(list), QStringList({"a.txt", "b.txt", "c.txt"}));

        SortListByColumn(list, 0); // another column keeps the order
        QCOMPARE(list.sortKey(), 0);
        QCOMPARE(list.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(keysInOrder(list), QStringList({"c.txt", "b.txt", "a.txt"}));

        // An unsorted list is switched on in the order it has.
        list.setSorted(false);
        SortListByColumn(list, 1);
        QVERIFY(list.sorted());
        QCOMPARE(list.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(keysInOrder(list), QStringList({"c.txt", "a.txt", "b.txt"}));

        // Real clicks on the details header. Until a window sorts, the
        // header goes on showing the order the rows have.
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QHeaderView* header = reportView(list)->header();
        const auto clickHeader = [header](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + 20, header->height() / 2));
        };
        clickHeader(1);
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(keysInOrder(list), QStringList({"c.txt", "a.txt", "b.txt"}));

        connect(&list, &ListView::columnClick, &list,
                [&list](int column) { SortListByColumn(list, column); });
        QSignalSpy clicks(&list, &ListView::columnClick);
        clickHeader(0);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), 0);
        QCOMPARE(keysInOrder(list), QStringList({"c.txt", "b.txt", "a.txt"}));
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        clickHeader(0);
        QCOMPARE(keysInOrder(list), QStringList({"a.txt", "b.txt", "c.txt"}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader(2);
        QCOMPARE(clicks.at(2).at(0).toInt(), 2);
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(keysInOrder(list), QStringList({"c.txt", "b.txt", "a.txt"}));
    }

    void updateShowsRowsOnceSortedWithTheirMarks()
    {
        ListView list;
        list.setCheckboxes(true);
        fillFiles(list, {{"old.txt", "1", ""}});
        SortListByColumn(list, 0);
        QAbstractItemModel* model = reportView(list)->model();
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);

        for (int n = 0; n < 40; ++n)
            list.addItem(QStringLiteral("old%1").arg(n), QStringLiteral("old %1").arg(n));
        list.resize(400, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        inserted.clear();

        list.beginUpdate();
        list.clear();
        list.beginUpdate(); // nested: only the outer end shows the rows
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
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(keysInOrder(list), QStringList({"a.txt", "b.txt", "c.txt", "d.txt"}));
        QCOMPARE(model->index(3, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(shownSelected(list, list.findItem("c.txt")));
        QCOMPARE(list.selectedItem(), list.findItem("c.txt"));
    }

    void viewModesShareRowsSelectionAndTicks()
    {
        ListView list;
        list.resize(500, 300);
        list.setImageList(NewFileListImages(&list));
        list.setCheckboxes(true);
        fillFiles(list, {{"a.txt", "1", ""}, {"b.gif", "1", ""}, {"c.mid", "1", ""}});
        list.findItem("b.gif")->setSelected(true);
        list.findItem("c.mid")->setChecked(true);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        const char* names[] = {"iconView", "smallIconView", "listView", "reportView"};
        for (int mode = ListView::lvwIcon; mode <= ListView::lvwReport; ++mode) {
            list.setView(mode);
            QCOMPARE(list.view(), mode);
            QAbstractItemView* view = shownView(list);
            QCOMPARE(view->objectName(), QString::fromLatin1(names[mode]));
            QVERIFY(view->isVisible());
            QCOMPARE(view->model()->rowCount(), 3);
            QVERIFY(shownSelected(list, list.findItem("b.gif")));
            QVERIFY(!shownSelected(list, list.findItem("a.txt")));
            QCOMPARE(view->model()->index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        }
        list.setView(7);
        QCOMPARE(list.view(), int(ListView::lvwReport));

        // A click in one view is the selection of every view.
        list.setView(ListView::lvwList);
        ListItem* a = list.findItem("a.txt");
        QTest::mouseClick(shownView(list)->viewport(), Qt::LeftButton, {},
                          rowRect(list, a).center());
        QVERIFY(a->selected());
        QVERIFY(!list.findItem("b.gif")->selected());
        list.setView(ListView::lvwReport);
        QVERIFY(shownSelected(list, a));
        QVERIFY(!shownSelected(list, list.findItem("b.gif")));
    }

    void smallIconPositionsAreKeptAndRestored()
    {
        ListView list;
        list.resize(400, 300);
        list.setImageList(NewFileListImages(&list));
        list.setView(ListView::lvwSmallIcon);
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            list.addItem(name, name, ".txt");
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        const QMap<QString, QPoint> places{
            {"a.txt", QPoint(200, 150)}, {"b.txt", QPoint(10, 120)}, {"c.txt", QPoint(250, 20)}};
        for (auto place = places.cbegin(); place != places.cend(); ++place)
            list.setItemPosition(list.findItem(place.key()), place.value());
        auto* view = list.findChild<QListView*>("smallIconView");
        for (auto place = places.cbegin(); place != places.cend(); ++place) {
            ListItem* row = list.findItem(place.key());
            QCOMPARE(list.itemPosition(row), place.value());
            // It is where the view draws it, not just remembered.
            QCOMPARE(view->visualRect(view->model()->index(row->index(), 0)).topLeft(),
                     place.value());
        }

        // A rebuild with the same keys, the positions put back by key, as
        // the shared files window does after a refresh.
        QMap<QString, QPoint> saved;
        for (ListItem* row : list.items())
            saved.insert(row->key(), list.itemPosition(row));
        list.beginUpdate();
        list.clear();
        for (const char* name : {"c.txt", "a.txt", "b.txt"})
            list.addItem(name, name, ".txt");
        list.endUpdate();
        for (ListItem* row : list.items())
            list.setItemPosition(row, saved.value(row->key()));
        // Switching views on the way does not move them either.
        list.setView(ListView::lvwReport);
        list.setView(ListView::lvwSmallIcon);
        QCoreApplication::processEvents();
        for (auto place = places.cbegin(); place != places.cend(); ++place)
            QCOMPARE(list.itemPosition(list.findItem(place.key())), place.value());
    }

    void ensureVisibleScrollsTheShownView()
    {
        ListView list;
        list.resize(300, 150);
        list.addColumn("filename", "File Name");
        for (int n = 0; n < 300; ++n)
            list.addItem(QString::number(n), QStringLiteral("file %1.txt").arg(n));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (int mode : {ListView::lvwReport, ListView::lvwList}) {
            list.setView(mode);
            QAbstractItemView* view = shownView(list);
            ListItem* far = list.item(mode == ListView::lvwReport ? 250 : 299);
            QVERIFY(!view->viewport()->rect().intersects(rowRect(list, far)));
            far->ensureVisible();
            QVERIFY(view->viewport()->rect().contains(rowRect(list, far)));
        }
    }

    void selectedItemPrefersTheFocusedRow()
    {
        ListView list;
        list.resize(500, 300);
        fillFiles(list, {{"a.txt", "1", ""}, {"b.txt", "1", ""}, {"c.txt", "1", ""}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QVERIFY(!list.selectedItem());

        ListItem* a = list.findItem("a.txt");
        ListItem* c = list.findItem("c.txt");
        c->setSelected(true);
        a->setSelected(true);
        QCOMPARE(list.selectedItem(), a); // nothing focused: the first selected
        QCOMPARE(list.selectedItems(), QList<ListItem*>({a, c}));

        QAbstractItemView* view = shownView(list);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rowRect(list, list.findItem("b.txt")).center());
        QCOMPARE(list.selectedItem(), list.findItem("b.txt"));
        QCOMPARE(list.selectedItems().size(), 3);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rowRect(list, list.findItem("b.txt")).center());
        QVERIFY(!list.findItem("b.txt")->selected()); // focused but no longer selected
        QCOMPARE(list.selectedItem(), a);

        list.setMultiSelect(false);
        c->setSelected(false);
        a->setSelected(false);
        list.findItem("b.txt")->setSelected(true);
        c->setSelected(true); // one selection at a time
        QCOMPARE(list.selectedItems(), QList<ListItem*>({c}));
    }

    void realInputGivesTheListsSignals()
    {
        ListView list;
        list.resize(500, 300);
        list.setCheckboxes(true);
        fillFiles(list, {{"a.txt", "1", ""}, {"b.txt", "1", ""}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView* view = shownView(list);
        ListItem* b = list.findItem("b.txt");
        const QPoint onB = rowRect(list, b).center();

        QSignalSpy mouseUps(&list, &ListView::mouseUp);
        QSignalSpy clicks(&list, &ListView::itemClick);
        QSignalSpy selections(&list, &ListView::selectionChanged);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, onB);
        QCOMPARE(mouseUps.count(), 1);
        QVERIFY(selections.count() >= 1);
        QCOMPARE(mouseUps.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(mouseUps.at(0).at(1).toPoint(), view->viewport()->mapToGlobal(onB));
        QVERIFY(b->selected()); // the right button selects the row it is over

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onB);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).value<ListItem*>(), b);
        QCOMPARE(mouseUps.at(1).at(0).value<Qt::MouseButton>(), Qt::LeftButton);

        QSignalSpy doubles(&list, &ListView::dblClick);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onB);
        QCOMPARE(doubles.count(), 1);

        QSignalSpy keys(&list, &ListView::keyPress);
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_Enter);
        QTest::keyClick(view, Qt::Key_A);
        QCOMPARE(keys.count(), 3);
        QCOMPARE(keys.at(0).at(0).toInt(), int(Qt::Key_Return));
        QCOMPARE(keys.at(1).at(0).toInt(), int(Qt::Key_Return));
        QCOMPARE(keys.at(2).at(0).toInt(), int(Qt::Key_A));

        // Space on the focused row ticks it; ticking from code is silent.
        QSignalSpy checks(&list, &ListView::itemCheck);
        view->setCurrentIndex(view->model()->index(b->index(), 0));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(checks.count(), 1);
        QCOMPARE(checks.at(0).at(0).value<ListItem*>(), b);
        QVERIFY(b->checked());
        list.findItem("a.txt")->setChecked(true);
        QCOMPARE(checks.count(), 1);
    }

    void imageListsHoldTheProgramsPictures()
    {
        QObject owner;
        const QList<QPair<ImageList*, QStringList>> lists{
            {NewFileListImages(&owner),
             {"open", "unlocked", "locked", "old", "new", ".graal", ".gif", ".mid", ".txt", ".doc",
              ".wav", "folder", "add", "refresh", "options", "delete"}},
            {NewUserImages(&owner), {"level1", "level2", "level3", "level4"}},
            {NewExplorerImages(&owner),
             {"folderclosed", "folderopen", "file", "filenotfound", "fileupload", "filedownload",
              "filedelete"}}};
        for (const auto& [images, keys] : lists) {
            QCOMPARE(images->keys(), keys);
            for (const QString& key : keys) {
                // Each picture really loads and draws something at both sizes.
                for (int size : {16, 32}) {
                    const QImage image = images->icon(key).pixmap(size, size).toImage();
                    QVERIFY2(image.size() == QSize(size, size), qPrintable(key));
                    QVERIFY2(image.pixelColor(size / 2, size / 2).alpha() > 0 ||
                                 image.pixelColor(size * 3 / 4, size * 3 / 4).alpha() > 0,
                             qPrintable(key));
                }
            }
        }
        QCOMPARE(owner.findChild<ImageList*>("imglstFileList"), lists[0].first);
        QCOMPARE(owner.findChild<ImageList*>("imglstUsers"), lists[1].first);
        QCOMPARE(owner.findChild<ImageList*>("imglistExplorer"), lists[2].first);

        ImageList* files = lists[0].first;
        QCOMPARE(files->findKey(".GIF", Qt::CaseInsensitive), QStringLiteral(".gif"));
        QCOMPARE(files->findKey(".GIF", Qt::CaseSensitive), QString());
        QCOMPARE(files->findKey(".gif", Qt::CaseSensitive), QStringLiteral(".gif"));
        QCOMPARE(files->findKey(".zip", Qt::CaseInsensitive), QString());
        QVERIFY(files->contains("OLD") && !files->contains("older"));
        QVERIFY(files->icon(".zip").isNull());

        // The state pictures carry the marking colours.
        QVERIFY(shareOfHue(files->icon("old"), 4, 15) > 0.5);
        QVERIFY(shareOfHue(files->icon("new"), 4, 15) > 0.5);
        QVERIFY(shareOfHue(files->icon("unlocked"), 215, 20) > 0.5);
        QVERIFY(shareOfHue(files->icon("open"), 125, 25) > 0.5);
        QVERIFY(shareOfHue(files->icon("locked"), 45, 12) > 0.5);

        // A key added again in another case replaces the picture, once.
        ImageList custom;
        custom.add("Map", QIcon());
        custom.add("map", files->icon(".graal"));
        QCOMPARE(custom.keys(), QStringList({"map"}));
        QVERIFY(!custom.icon("MAP").isNull());
    }

    void rowsShowTheirPicturesFromTheImageList()
    {
        ListView list;
        ImageList* images = NewFileListImages(&list);
        list.addColumn("filename", "File Name");
        ListItem* gif = list.addItem("a.gif", "a.gif", ".gif");
        ListItem* odd = list.addItem("b.zip", "b.zip", ".zip");
        QAbstractItemModel* model = reportView(list)->model();
        QVERIFY(model->index(0, 0).data(Qt::DecorationRole).isNull()); // no image list yet
        list.setImageList(images);
        QCOMPARE(list.imageList(), images);
        QVERIFY(!model->index(gif->index(), 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model->index(odd->index(), 0).data(Qt::DecorationRole).isNull());
        odd->setSmallIcon("new");
        QCOMPARE(odd->smallIcon(), QStringLiteral("new"));
        QVERIFY(!model->index(odd->index(), 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    }
};

QTEST_MAIN(TestListView)
#include "tst_listview.moc"
