#include "MarkedFilesWindow.h"

#include "FileListColumns.h"
#include "frmFileList.h"

#include "ui/WindowPlacement.h"
#include "ui/widgets/ListView.h"

#include "app/Guard.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

constexpr int kMargin = 8;
// Room for the tick box in front of the file name (360 twips).
constexpr int kTickBoxWidth = 24;

} // namespace

MarkedFilesWindow::MarkedFilesWindow(frmFileList& fileList, const QString& caption,
                                     const char* listName, const char* actionName,
                                     const QString& actionCaption)
    : QWidget(&fileList, Qt::Window), m_fileList(&fileList)
{
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);

    m_list = new ListView(this);
    m_list->setObjectName(QLatin1String(listName));
    m_list->setCheckboxes(true);

    picButtons = new QWidget(this);
    picButtons->setObjectName(QStringLiteral("picButtons"));
    m_action = new QPushButton(actionCaption, picButtons);
    m_action->setObjectName(QLatin1String(actionName));
    cmdClose = new QPushButton(QStringLiteral("&Close"), picButtons);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout(picButtons);
    buttons->setContentsMargins(0, 0, kMargin, kMargin);
    buttons->addWidget(m_action);
    buttons->addWidget(cmdClose);
    cmdClose->setMinimumWidth(90);
    picButtons->resize(picButtons->sizeHint());

    connect(m_action, &QPushButton::clicked, this, Guarded([this] { Action_Click(); }));
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_list, &ListView::columnClick, this,
            [this](int column) { modSkiff::SortListByColumn(*m_list, column); });

    resize(900, 330);
    CenterOnScreen(this);
}

void MarkedFilesWindow::Form_Load()
{
    m_list->setImageList(m_fileList->imglstFileList);
    CopyColumns();
    RefreshList();
    IsClosed = false;
    LayoutWindow();
}

void MarkedFilesWindow::CopyColumns()
{
    const ListView& source = *m_fileList->lvwFileList;
    for (int index = 0; index < source.columnCount(); ++index) {
        const ColumnHeader column = source.column(index);
        const int extra = column.key == FileListColumns::FileName ? kTickBoxWidth : 0;
        m_list->addColumn(column.key, column.text, column.width + extra, column.alignment,
                          column.iconKey);
    }
}

void MarkedFilesWindow::RefreshList()
{
    m_list->beginUpdate();
    m_list->clear();
    for (const ListItem* source : m_fileList->lvwFileList->items()) {
        if (!IsListed(*source))
            continue;
        // The file-type picture; a file without one keeps the picture its
        // row shows in the shared files window.
        ListItem* row =
            m_list->addItem(source->key(), source->text(),
                            m_fileList->GetIcon(false, source->smallIcon(), source->text()));
        row->setChecked(true);
        row->setData(source->data());
        for (int index = 0; index < m_list->columnCount(); ++index) {
            const QString key = m_list->column(index).key;
            if (key != FileListColumns::FileName)
                row->setSubItem(key, source->subItem(key));
        }
    }
    m_list->endUpdate();
}

void MarkedFilesWindow::Action_Click()
{
    ListView& files = *m_fileList->lvwFileList;
    for (ListItem* row : files.items())
        row->setSelected(false);
    for (const ListItem* row : m_list->items()) {
        if (!row->checked())
            continue;
        if (ListItem* source = files.findItem(row->key()))
            source->setSelected(true);
    }
    m_action->setEnabled(false);

    // The operation lets window events run while it waits for the server,
    // so this window may be closed, and even destroyed, before it returns.
    QPointer<MarkedFilesWindow> self(this);
    RunAction(*m_fileList);
    if (!self || IsClosed)
        return;
    RefreshList();
    if (m_list->count() == 0)
        close();
    else
        m_action->setEnabled(true);
}

void MarkedFilesWindow::closeEvent(QCloseEvent* event)
{
    IsClosed = true;
    QWidget::closeEvent(event);
}

void MarkedFilesWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutWindow();
}

void MarkedFilesWindow::LayoutWindow()
{
    picButtons->move(width() - picButtons->width(), height() - picButtons->height());
    m_list->setGeometry(kMargin, kMargin, qMax(0, width() - 2 * kMargin),
                        qMax(0, picButtons->y() - 2 * kMargin));
}
