#pragma once
// The one list widget of the program: rows with a key, a text, a small
// picture, texts by column key, selection and tick marks, shown in one of
// four views over the same rows (large icons, small icons, list, details).
// The windows react to its signals; sorting by a column is their decision
// (SortListByColumn).

#include "ListItem.h"

#include <QList>
#include <QPoint>
#include <QWidget>

class ImageList;
class ListModel;
class QAbstractItemView;
class QItemSelection;
class QItemSelectionModel;
class QStackedWidget;
class QTreeView;
class SmallIconView;

class ListView : public QWidget
{
    Q_OBJECT
public:
    enum View
    {
        lvwIcon = 0,
        lvwSmallIcon = 1,
        lvwList = 2,
        lvwReport = 3
    };

    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    void addColumn(const QString& key, const QString& text, int width = 100,
                   Qt::Alignment alignment = Qt::AlignLeft, const QString& iconKey = {});
    int columnCount() const;
    // The column as it stands, with the width the member may have dragged it to.
    ColumnHeader column(int index) const;
    int columnIndex(const QString& key) const; // -1 when no column has that key
    void clearColumns();

    // A duplicate non-empty key throws SkiffError("Key is not unique in
    // collection") and adds nothing. The new row is not selected.
    ListItem* addItem(const QString& key, const QString& text, const QString& smallIcon = {});
    int count() const;
    ListItem* item(int index) const; // null outside 0..count()-1
    ListItem* findItem(const QString& key) const;
    QList<ListItem*> items() const;         // in list order
    QList<ListItem*> selectedItems() const; // in list order
    // The focused row when it is selected, else the first selected, else null.
    ListItem* selectedItem() const;
    void removeItem(ListItem* item);
    void clear();

    void setImageList(ImageList* images);
    ImageList* imageList() const;

    // A new list shows details (lvwReport).
    int view() const { return m_view; }
    void setView(int mode); // other values than 0..3 are ignored

    bool sorted() const;
    void setSorted(bool on);
    int sortKey() const;
    void setSortKey(int columnIndex);
    Qt::SortOrder sortOrder() const;
    void setSortOrder(Qt::SortOrder order);

    void setCheckboxes(bool on);
    bool checkboxes() const;
    void setMultiSelect(bool on);

    // Rebuilding thousands of rows: between beginUpdate() and endUpdate()
    // the views are told nothing (nested calls count); endUpdate() sorts
    // once if sorting is on and shows the rows, selection and tick marks.
    void beginUpdate();
    void endUpdate();

    // Where a row's picture sits in the small-icon view, in pixels from the
    // top left of the view's contents.
    QPoint itemPosition(ListItem* item) const;
    void setItemPosition(ListItem* item, const QPoint& topLeft);

signals:
    void columnClick(int columnIndex); // 0-based
    void itemClick(ListItem* item);
    void dblClick();
    void keyPress(int qtKey); // Enter on the keypad comes as Qt::Key_Return
    void mouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void itemCheck(ListItem* item); // the member ticked or cleared a row
    void selectionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ListItem;
    void showSelectionOf(ListItem* item);
    void scrollToItem(ListItem* item);

    void attach(QAbstractItemView* view);
    QAbstractItemView* currentView() const;
    void takeSelectionFromViews(const QItemSelection& selected, const QItemSelection& deselected);
    void showAllSelections();
    void showSortState();
    void sizeNewColumns();

    ListModel* m_model;
    QItemSelectionModel* m_selection;
    QStackedWidget* m_stack;
    SmallIconView* m_smallIconView;
    QTreeView* m_reportView;
    QList<QAbstractItemView*> m_views; // by view mode
    int m_view = lvwReport;
    int m_sizedColumns = 0; // columns whose width the details header has taken
};

namespace modSkiff {
// A click on a column header: the same column again reverses the order,
// another column keeps it; sorting is switched on.
void SortListByColumn(ListView& list, int columnIndex);
} // namespace modSkiff
