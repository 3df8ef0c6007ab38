#include "ListModel.h"

#include "ListView.h"

#include "app/Errors.h"

#include <QIcon>
#include <algorithm>
#include <numeric>

namespace {

// The "C" locale compares code points, which puts "10" before "9" and "B"
// before "a"; the group writes English, so that is the fallback.
QLocale collationLocale()
{
    const QLocale system;
    return system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                           : system;
}

} // namespace

ListModel::ListModel(ListView* owner)
    : QAbstractTableModel(owner), m_owner(owner), m_collator(collationLocale())
{
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

ListModel::~ListModel() = default;

void ListModel::addColumn(const ColumnHeader& column)
{
    const int at = int(m_columns.size());
    // Without columns the rows still show their text in one unnamed column,
    // which the first real column takes over.
    const bool newSection = at > 0 && !updating();
    if (newSection)
        beginInsertColumns(QModelIndex(), at, at);
    m_columns.append(column);
    if (!column.key.isEmpty() && !m_columnByKey.contains(column.key))
        m_columnByKey.insert(column.key, at);
    if (newSection)
        endInsertColumns();
    else if (!updating())
        emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void ListModel::clearColumns()
{
    const int extra = int(m_columns.size()) - 1;
    const bool removeSections = extra > 0 && !updating();
    if (removeSections)
        beginRemoveColumns(QModelIndex(), 1, extra);
    m_columns.clear();
    m_columnByKey.clear();
    // Texts by column position would land in whatever columns come next.
    for (auto& row : m_rows)
        row->m_subItems.clear();
    if (removeSections)
        endRemoveColumns();
    if (!updating())
        emit headerDataChanged(Qt::Horizontal, 0, 0);
}

ListItem* ListModel::addItem(const QString& key, const QString& text, const QString& smallIcon)
{
    if (!key.isEmpty() && m_byKey.contains(key))
        throw SkiffError(QStringLiteral("Key is not unique in collection"), 35602);
    std::unique_ptr<ListItem> item(new ListItem(this, key, text, smallIcon));
    ListItem* added = item.get();
    const bool notify = !updating();
    const int row = notify && m_sorted ? sortedRow(added) : count();
    if (notify)
        beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, std::move(item));
    renumber(row, count());
    if (!key.isEmpty())
        m_byKey.insert(key, added);
    if (notify)
        endInsertRows();
    return added;
}

ListItem* ListModel::item(int row) const
{
    return row >= 0 && row < count() ? m_rows[size_t(row)].get() : nullptr;
}

QList<ListItem*> ListModel::items() const
{
    QList<ListItem*> all;
    all.reserve(count());
    for (const auto& row : m_rows)
        all.append(row.get());
    return all;
}

void ListModel::removeItem(ListItem* item)
{
    if (!item || item->m_model != this)
        return;
    const int row = item->m_row;
    const bool notify = !updating();
    if (notify)
        beginRemoveRows(QModelIndex(), row, row);
    // The row dies only after the views have let go of it.
    std::unique_ptr<ListItem> removed = std::move(m_rows[size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    if (!removed->m_key.isEmpty())
        m_byKey.remove(removed->m_key);
    renumber(row, count());
    if (notify)
        endRemoveRows();
}

void ListModel::clear()
{
    if (m_rows.empty())
        return;
    const bool notify = !updating();
    if (notify)
        beginRemoveRows(QModelIndex(), 0, count() - 1);
    std::vector<std::unique_ptr<ListItem>> removed;
    removed.swap(m_rows);
    m_byKey.clear();
    if (notify)
        endRemoveRows();
}

void ListModel::setImageList(ImageList* images)
{
    m_images = images;
    if (updating())
        return;
    if (count() > 0)
        emit dataChanged(index(0, 0), index(count() - 1, 0), {Qt::DecorationRole});
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void ListModel::setCheckboxes(bool on)
{
    if (m_checkboxes == on)
        return;
    m_checkboxes = on;
    if (!updating() && count() > 0)
        emit dataChanged(index(0, 0), index(count() - 1, 0), {Qt::CheckStateRole});
}

void ListModel::beginUpdate()
{
    if (m_updateDepth++ == 0)
        beginResetModel();
}

void ListModel::endUpdate()
{
    if (m_updateDepth == 0)
        return;
    if (m_updateDepth == 1 && m_sorted)
        sortRows(); // still updating: the reset tells the views
    if (--m_updateDepth == 0) {
        endResetModel();
        emit updateEnded();
    }
}

void ListModel::setSorted(bool on)
{
    if (m_sorted == on)
        return;
    m_sorted = on;
    if (on)
        sortRows();
}

void ListModel::setSortKey(int column)
{
    if (column < 0 || column == m_sortKey)
        return;
    m_sortKey = column;
    if (m_sorted)
        sortRows();
}

void ListModel::setSortOrder(Qt::SortOrder order)
{
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    if (m_sorted)
        sortRows();
}

QModelIndex ListModel::indexOf(const ListItem* item, int column) const
{
    if (!item || item->m_model != this || updating())
        return QModelIndex();
    return index(item->m_row, column);
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(1, int(m_columns.size()));
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    // Views may paint from their old layout while an update runs.
    const ListItem* row = item(index.row());
    if (!index.isValid() || !row || index.column() >= columnCount())
        return QVariant();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return row->textAt(column);
    case Qt::DecorationRole:
        return column == 0 ? iconFor(row->m_smallIcon) : QVariant();
    case Qt::CheckStateRole:
        if (column == 0 && m_checkboxes)
            return row->m_checked ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    case Qt::TextAlignmentRole:
        // The first column is always read from the left, as the platform's
        // lists do; the icon views centre it themselves.
        if (column > 0 && column < m_columns.size())
            return int(m_columns[column].alignment | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    ListItem* row = item(index.row());
    if (role != Qt::CheckStateRole || !m_checkboxes || !row || index.column() != 0 || updating())
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (row->m_checked != checked) {
        row->m_checked = checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit itemCheckedByView(row);
    }
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    if (m_checkboxes && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QVariant();
    const ColumnHeader& column = m_columns[section];
    switch (role) {
    case Qt::DisplayRole:
        return column.text;
    case Qt::DecorationRole:
        return iconFor(column.iconKey);
    case Qt::TextAlignmentRole:
        return int(column.alignment | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

void ListModel::itemChanged(ListItem* item, int column, int role)
{
    if (updating())
        return;
    const QModelIndex at = index(item->m_row, column);
    emit dataChanged(at, at, {role});
    if (role == Qt::DisplayRole && m_sorted && column == m_sortKey)
        moveRow(item->m_row, sortedRow(item));
}

bool ListModel::sortsBefore(const QString& a, const QString& b) const
{
    const int order = m_collator.compare(a, b);
    return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

// Where the row belongs among the other rows of a sorted list: after the
// rows that sort equal to it, so that ties keep the order they came in.
int ListModel::sortedRow(const ListItem* item) const
{
    const QString text = item->textAt(m_sortKey);
    const int self = this->item(item->m_row) == item ? item->m_row : -1;
    int low = 0;
    int high = count() - (self >= 0 ? 1 : 0);
    while (low < high) {
        const int middle = (low + high) / 2;
        const int row = self >= 0 && middle >= self ? middle + 1 : middle;
        if (sortsBefore(text, m_rows[size_t(row)]->textAt(m_sortKey)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

void ListModel::moveRow(int from, int to)
{
    if (from == to)
        return;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    std::unique_ptr<ListItem> moving = std::move(m_rows[size_t(from)]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(moving));
    renumber(std::min(from, to), std::max(from, to) + 1);
    endMoveRows();
}

void ListModel::sortRows()
{
    const bool notify = !updating();
    if (notify)
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // One collation key per row makes each comparison a byte comparison.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(m_rows.size());
    for (const auto& row : m_rows)
        keys.push_back(m_collator.sortKey(row->textAt(m_sortKey)));
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return ascending ? c < 0 : c > 0;
    });

    std::vector<std::unique_ptr<ListItem>> sorted;
    sorted.reserve(m_rows.size());
    for (int from : order)
        sorted.push_back(std::move(m_rows[size_t(from)]));
    m_rows.swap(sorted);
    renumber(0, count());

    if (notify) {
        std::vector<int> newRow(order.size());
        for (size_t to = 0; to < order.size(); ++to)
            newRow[size_t(order[to])] = int(to);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& old : before)
            after.append(index(newRow[size_t(old.row())], old.column()));
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
}

void ListModel::renumber(int from, int to)
{
    for (int row = from; row < to; ++row)
        m_rows[size_t(row)]->m_row = row;
}

QVariant ListModel::iconFor(const QString& key) const
{
    if (!m_images || key.isEmpty())
        return QVariant();
    const QIcon icon = m_images->icon(key);
    return icon.isNull() ? QVariant() : QVariant(icon);
}
