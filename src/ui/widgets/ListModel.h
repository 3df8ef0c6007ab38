#pragma once
// The rows and columns behind a ListView, presented to its four views. Rows
// live in one vector in list order, found by key through a hash; sorting
// reorders the vector and tells the views through persistent indexes, so
// selection and tick marks stay on their rows.

#include "ImageList.h"
#include "ListItem.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QHash>
#include <QPointer>
#include <QVector>
#include <memory>
#include <vector>

class ListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListModel(ListView* owner);
    ~ListModel() override;

    ListView* owner() const { return m_owner; }

    void addColumn(const ColumnHeader& column);
    void clearColumns();
    const QVector<ColumnHeader>& headers() const { return m_columns; }
    int columnIndex(const QString& key) const { return m_columnByKey.value(key, -1); }

    // A duplicate non-empty key throws SkiffError and adds nothing.
    ListItem* addItem(const QString& key, const QString& text, const QString& smallIcon);
    int count() const { return int(m_rows.size()); }
    ListItem* item(int row) const;
    ListItem* findItem(const QString& key) const { return m_byKey.value(key); }
    QList<ListItem*> items() const;
    void removeItem(ListItem* item);
    void clear();

    void setImageList(ImageList* images);
    ImageList* imageList() const { return m_images; }
    void setCheckboxes(bool on);
    bool checkboxes() const { return m_checkboxes; }

    // While updating, the views are told nothing until the last endUpdate(),
    // which re-sorts once when sorting is on and presents the new rows.
    void beginUpdate();
    void endUpdate();
    bool updating() const { return m_updateDepth > 0; }

    // Changing any of these while sorting is on re-sorts at once. While
    // sorting is on, rows added or edited in the sort column move to their
    // place; ties keep their previous order.
    bool sorted() const { return m_sorted; }
    void setSorted(bool on);
    int sortKey() const { return m_sortKey; }
    void setSortKey(int column);
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void setSortOrder(Qt::SortOrder order);

    QModelIndex indexOf(const ListItem* item, int column = 0) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The last endUpdate() presented the rows afresh.
    void updateEnded();
    // The member ticked or cleared a row's tick box in a view.
    void itemCheckedByView(ListItem* item);

private:
    friend class ListItem;
    // Called by rows when they change.
    void itemChanged(ListItem* item, int column, int role);
    void sortTextChanged(ListItem* item);

    bool sortsBefore(const QString& a, const QString& b) const;
    int sortedRow(const ListItem* item) const;
    void moveRow(int from, int to);
    void sortRows();
    void renumber(int from, int to);
    QVariant iconFor(const QString& key) const;

    ListView* m_owner;
    std::vector<std::unique_ptr<ListItem>> m_rows;
    QHash<QString, ListItem*> m_byKey;
    QVector<ColumnHeader> m_columns;
    QHash<QString, int> m_columnByKey;
    QPointer<ImageList> m_images;
    QCollator m_collator;
    bool m_checkboxes = false;
    bool m_sorted = false;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    int m_updateDepth = 0;
};
