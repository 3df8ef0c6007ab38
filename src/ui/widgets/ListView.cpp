#include "ListView.h"

#include "ListModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Small-icon view: the text sits to the right of the picture, while the
// view keeps the icon mode's freely placed items.
class TextBesideIconDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->decorationPosition = QStyleOptionViewItem::Left;
        option->decorationAlignment = Qt::AlignCenter;
        option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option->features &= ~QStyleOptionViewItem::WrapText;
    }
};

QListView* newIconView(QWidget* parent)
{
    auto* view = new QListView(parent);
    view->setObjectName(QStringLiteral("iconView"));
    view->setViewMode(QListView::IconMode);
    view->setMovement(QListView::Static);
    view->setResizeMode(QListView::Adjust);
    view->setIconSize(QSize(32, 32));
    view->setGridSize(QSize(88, 68));
    view->setWordWrap(true);
    view->setTextElideMode(Qt::ElideMiddle);
    return view;
}

} // namespace

// Small icons may be placed anywhere; the list reads and sets the places.
class SmallIconView : public QListView
{
public:
    using QListView::QListView;
    using QListView::rectForIndex;
    using QListView::setPositionForIndex;
};

namespace {

SmallIconView* newSmallIconView(QWidget* parent)
{
    auto* view = new SmallIconView(parent);
    view->setObjectName(QStringLiteral("smallIconView"));
    view->setViewMode(QListView::IconMode);
    // Free movement keeps every item where it was put, by the member or by
    // setPositionForIndex, until the rows themselves change.
    view->setMovement(QListView::Free);
    view->setResizeMode(QListView::Fixed);
    view->setIconSize(QSize(16, 16));
    view->setSpacing(4);
    view->setItemDelegate(new TextBesideIconDelegate(view));
    return view;
}

QListView* newListModeView(QWidget* parent)
{
    auto* view = new QListView(parent);
    view->setObjectName(QStringLiteral("listView"));
    view->setViewMode(QListView::ListMode);
    view->setFlow(QListView::TopToBottom);
    view->setWrapping(true);
    view->setResizeMode(QListView::Adjust);
    view->setIconSize(QSize(16, 16));
    view->setSpacing(1);
    return view;
}

QTreeView* newReportView(QWidget* parent)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QStringLiteral("reportView"));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setIconSize(QSize(16, 16));
    view->setSortingEnabled(false); // a header click is the window's decision
    view->header()->setSectionsClickable(true);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(false);
    return view;
}

} // namespace

ListView::ListView(QWidget* parent)
    : QWidget(parent), m_model(new ListModel(this)),
      m_selection(new QItemSelectionModel(m_model, this)), m_stack(new QStackedWidget(this)),
      m_smallIconView(newSmallIconView(m_stack)), m_reportView(newReportView(m_stack))
{
    m_views = {newIconView(m_stack), m_smallIconView, newListModeView(m_stack), m_reportView};
    for (QAbstractItemView* view : m_views) {
        attach(view);
        m_stack->addWidget(view);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
    setView(lvwReport);

    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            &ListView::takeSelectionFromViews);
    connect(m_model, &ListModel::updateEnded, this, [this] {
        sizeNewColumns();
        showAllSelections();
    });
    connect(m_model, &ListModel::itemCheckedByView, this, &ListView::itemCheck);
    connect(m_reportView->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        emit columnClick(section);
        // The header flips its own indicator on a click; it shows the
        // list's real order, whether or not the window sorted.
        showSortState();
    });
}

ListView::~ListView() = default;

void ListView::attach(QAbstractItemView* view)
{
    view->setModel(m_model);
    QItemSelectionModel* own = view->selectionModel();
    view->setSelectionModel(m_selection);
    delete own;
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (ListItem* clicked = m_model->item(index.row()))
            emit itemClick(clicked);
    });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { emit dblClick(); });
}

void ListView::addColumn(const QString& key, const QString& text, int width,
                         Qt::Alignment alignment, const QString& iconKey)
{
    m_model->addColumn({key, text, width, alignment, iconKey});
    if (!m_model->updating())
        sizeNewColumns();
}

int ListView::columnCount() const
{
    return int(m_model->headers().size());
}

ColumnHeader ListView::column(int index) const
{
    if (index < 0 || index >= columnCount())
        return ColumnHeader();
    ColumnHeader header = m_model->headers().at(index);
    if (index < m_sizedColumns)
        header.width = m_reportView->header()->sectionSize(index);
    return header;
}

int ListView::columnIndex(const QString& key) const
{
    return m_model->columnIndex(key);
}

void ListView::clearColumns()
{
    m_model->clearColumns();
    m_sizedColumns = 0;
}

void ListView::sizeNewColumns()
{
    const QVector<ColumnHeader>& headers = m_model->headers();
    for (; m_sizedColumns < headers.size(); ++m_sizedColumns)
        m_reportView->header()->resizeSection(m_sizedColumns, headers[m_sizedColumns].width);
}

ListItem* ListView::addItem(const QString& key, const QString& text, const QString& smallIcon)
{
    return m_model->addItem(key, text, smallIcon);
}

int ListView::count() const
{
    return m_model->count();
}

ListItem* ListView::item(int index) const
{
    return m_model->item(index);
}

ListItem* ListView::findItem(const QString& key) const
{
    return m_model->findItem(key);
}

QList<ListItem*> ListView::items() const
{
    return m_model->items();
}

QList<ListItem*> ListView::selectedItems() const
{
    QList<ListItem*> selected;
    for (ListItem* row : m_model->items()) {
        if (row->selected())
            selected.append(row);
    }
    return selected;
}

ListItem* ListView::selectedItem() const
{
    if (!m_model->updating()) {
        ListItem* focused = m_model->item(m_selection->currentIndex().row());
        if (focused && focused->selected())
            return focused;
    }
    const QList<ListItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void ListView::removeItem(ListItem* item)
{
    m_model->removeItem(item);
}

void ListView::clear()
{
    m_model->clear();
}

void ListView::setImageList(ImageList* images)
{
    m_model->setImageList(images);
}

ImageList* ListView::imageList() const
{
    return m_model->imageList();
}

void ListView::setView(int mode)
{
    if (mode < lvwIcon || mode > lvwReport)
        return;
    const bool hadFocus = m_stack->currentWidget() && m_stack->currentWidget()->hasFocus();
    m_view = mode;
    m_stack->setCurrentIndex(mode);
    setFocusProxy(currentView());
    if (hadFocus)
        currentView()->setFocus();
}

QAbstractItemView* ListView::currentView() const
{
    return m_views.at(m_view);
}

bool ListView::sorted() const
{
    return m_model->sorted();
}

void ListView::setSorted(bool on)
{
    m_model->setSorted(on);
    showSortState();
}

int ListView::sortKey() const
{
    return m_model->sortKey();
}

void ListView::setSortKey(int columnIndex)
{
    m_model->setSortKey(columnIndex);
    showSortState();
}

Qt::SortOrder ListView::sortOrder() const
{
    return m_model->sortOrder();
}

void ListView::setSortOrder(Qt::SortOrder order)
{
    m_model->setSortOrder(order);
    showSortState();
}

void ListView::showSortState()
{
    QHeaderView* header = m_reportView->header();
    header->setSortIndicatorShown(m_model->sorted());
    header->setSortIndicator(m_model->sortKey(), m_model->sortOrder());
}

void ListView::setCheckboxes(bool on)
{
    m_model->setCheckboxes(on);
}

bool ListView::checkboxes() const
{
    return m_model->checkboxes();
}

void ListView::setMultiSelect(bool on)
{
    for (QAbstractItemView* view : m_views)
        view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                  : QAbstractItemView::SingleSelection);
}

void ListView::beginUpdate()
{
    m_model->beginUpdate();
}

void ListView::endUpdate()
{
    m_model->endUpdate();
}

QPoint ListView::itemPosition(ListItem* item) const
{
    const QModelIndex index = m_model->indexOf(item);
    return index.isValid() ? m_smallIconView->rectForIndex(index).topLeft() : QPoint();
}

void ListView::setItemPosition(ListItem* item, const QPoint& topLeft)
{
    const QModelIndex index = m_model->indexOf(item);
    if (index.isValid())
        m_smallIconView->setPositionForIndex(topLeft, index);
}

void ListView::showSelectionOf(ListItem* item)
{
    const QModelIndex index = m_model->indexOf(item);
    if (!index.isValid())
        return; // endUpdate() shows it
    QItemSelectionModel::SelectionFlags command = QItemSelectionModel::Rows;
    if (!item->selected())
        command |= QItemSelectionModel::Deselect;
    else if (currentView()->selectionMode() == QAbstractItemView::SingleSelection) {
        // The focus goes along, so that the keyboard carries on from the
        // chosen row and no other row looks current.
        m_selection->setCurrentIndex(index, command | QItemSelectionModel::ClearAndSelect);
        return;
    } else
        command |= QItemSelectionModel::Select;
    m_selection->select(index, command);
}

void ListView::showAllSelections()
{
    QItemSelection selection;
    const int lastColumn = m_model->columnCount() - 1;
    int first = -1;
    for (int row = 0; row <= count(); ++row) {
        const bool selected = row < count() && m_model->item(row)->selected();
        if (selected && first < 0)
            first = row;
        if (!selected && first >= 0) {
            selection.select(m_model->index(first, 0), m_model->index(row - 1, lastColumn));
            first = -1;
        }
    }
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ListView::takeSelectionFromViews(const QItemSelection& selected,
                                      const QItemSelection& deselected)
{
    // During an update the views still show the old rows; the rows' own
    // flags are the truth and endUpdate() shows them again.
    if (m_model->updating())
        return;
    const auto mark = [this](const QItemSelection& ranges, bool on) {
        for (const QItemSelectionRange& range : ranges) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                if (ListItem* changed = m_model->item(row))
                    changed->m_selected = on;
            }
        }
    };
    mark(deselected, false);
    mark(selected, true);
    emit selectionChanged();
}

void ListView::scrollToItem(ListItem* item)
{
    const QModelIndex index = m_model->indexOf(item);
    if (index.isValid())
        currentView()->scrollTo(index);
}

bool ListView::eventFilter(QObject* watched, QEvent* event)
{
    for (QAbstractItemView* view : m_views) {
        if (event->type() == QEvent::MouseButtonRelease && watched == view->viewport()) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            emit mouseUp(mouse->button(), mouse->globalPosition().toPoint());
        } else if (event->type() == QEvent::KeyPress && watched == view) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            emit keyPress(key == Qt::Key_Enter ? Qt::Key_Return : key);
        }
    }
    return QWidget::eventFilter(watched, event);
}

namespace modSkiff {

void SortListByColumn(ListView& list, int columnIndex)
{
    if (list.sorted() && list.sortKey() == columnIndex)
        list.setSortOrder(list.sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                 : Qt::AscendingOrder);
    else
        list.setSortKey(columnIndex);
    list.setSorted(true);
}

} // namespace modSkiff
