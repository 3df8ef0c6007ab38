#include "SharedFileSteps.h"

#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Services.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "store/SafeName.h"
#include "transport/SiteConfig.h"

#include <QEvent>
#include <QWidget>

namespace SharedFileSteps {

namespace {
const QString kVer = QStringLiteral("ver");
// Set on the window while an operation runs in it.
const char* const kOperationRunning = "skiffOperationRunning";
} // namespace

bool IsListedOnServer(frmFileList& window, const QString& name)
{
    // A listing that fails leaves the previous response in place, which may
    // well hold this name as part of a longer one.
    window.GetChunkData.clear();
    window.ExecuteAndWait(QStringLiteral("ls ") + name);
    return window.GetChunkData.contains(name, Qt::CaseSensitive);
}

bool FindOnServer(frmFileList& window, const QString& name)
{
    window.ExecuteAndWait(QStringLiteral("cd ") + SiteConfig::GroupFolder());
    if (!IsListedOnServer(window, name))
        window.ExecuteAndWait(QStringLiteral("rename ") + name + QStringLiteral(".backup ") + name);
    return IsListedOnServer(window, name);
}

bool AcceptLocalName(const QString& name)
{
    if (SafeName::IsSafeLocalName(name))
        return true;
    MsgBox(SafeName::RefusalMessage(name), vbCritical);
    return false;
}

short ListedVersion(const ListItem& row)
{
    return modSkiff::ToInteger(modSkiff::Val(row.subItem(kVer)));
}

void RecordListedVersion(ListItem& row)
{
    FileVersions::Set(row.text(), ListedVersion(row));
    row.setSubItem(QStringLiteral("myver"), row.subItem(kVer));
}

QList<RowRef> SelectedRows(const ListView& list)
{
    QList<RowRef> rows;
    for (ListItem* item : list.selectedItems())
        rows.append({item, item->text()});
    return rows;
}

ListItem* CurrentRow(const ListView& list, ListItem*& row, const QString& name)
{
    const QList<ListItem*> rows = list.items();
    if (rows.contains(row) && row->text() == name)
        return row;
    row = list.findItem(name.toLower());
    if (row && row->text() != name)
        row = nullptr;
    return row;
}

CloseAfterOperation::CloseAfterOperation(QWidget& window)
    : m_window(window), m_outermost(!window.property(kOperationRunning).toBool())
{
    if (!m_outermost)
        return;
    window.setProperty(kOperationRunning, true);
    window.installEventFilter(this);
}

CloseAfterOperation::~CloseAfterOperation()
{
    if (!m_outermost)
        return;
    m_window.removeEventFilter(this);
    m_window.setProperty(kOperationRunning, false);
    if (m_closeRequested)
        m_window.close();
}

bool CloseAfterOperation::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || event->type() != QEvent::Close)
        return false;
    m_closeRequested = true;
    event->ignore();
    return true;
}

} // namespace SharedFileSteps
