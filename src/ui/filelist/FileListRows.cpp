#include "FileListRows.h"

#include "FileListColumns.h"

#include "transport/TransferLog.h"
#include "ui/widgets/ListView.h"

ListItem* FileListRows::Row(const QString& name) const
{
    ListItem* row = m_list.findItem(name.toLower());
    return row && row->text() == name ? row : nullptr;
}

void FileListRows::ShowFile(const QString& name)
{
    if (ListItem* row = Row(name))
        row->ensureVisible();
}

void FileListRows::SelectFile(const QString& name, bool selected)
{
    if (ListItem* row = Row(name))
        row->setSelected(selected);
}

void FileListRows::SetFileIcon(const QString& name, const QString& icon)
{
    if (ListItem* row = Row(name))
        row->setSmallIcon(icon);
}

void FileListRows::SetLocalVersion(const QString& name, short version)
{
    if (ListItem* row = Row(name))
        row->setSubItem(FileListColumns::MyVersion, QString::number(version));
}

void FileListRows::ReportFile(const QString& name, const QString& what)
{
    TransferLog::Note(&m_log, name, what);
}
