#include "FileListColumns.h"

#include "ui/widgets/ListView.h"

namespace FileListColumns {

void AddColumns(ListView& list)
{
    list.addColumn(FileName, QStringLiteral("File Name"), 190);
    list.addColumn(CheckedOut, QStringLiteral("Checked Out"), 90);
    list.addColumn(LastUpdatedBy, QStringLiteral("Last Updated By"), 210);
    list.addColumn(Description, QStringLiteral("File Description"), 220);
    list.addColumn(Owner, QStringLiteral("Owner"), 80);
    list.addColumn(LatestVersion, QStringLiteral("Latest Version"), 95);
    list.addColumn(MyVersion, QStringLiteral("My Version"), 80);
}

void ShowRecord(ListItem& row, const FileRecord& record, short localVersion)
{
    row.setSubItem(CheckedOut, record.Controller);
    row.setSubItem(LatestVersion, QString::number(record.CurrentVersion));
    row.setSubItem(MyVersion, QString::number(localVersion));
    row.setSubItem(Owner, record.Author);
    row.setSubItem(Description, record.Description);
    row.setSubItem(LastUpdatedBy, record.Comment);
    row.setData(QVariant::fromValue(ListedFile{record, localVersion}));
}

void ChangeRecord(ListItem& row, const std::function<void(FileRecord&)>& change)
{
    ListedFile file = ListedFileOf(row);
    change(file.Record);
    ShowRecord(row, file.Record, file.LocalVersion);
}

void ShowEdit(ListItem& row, const FileDetailsEdit& stored)
{
    ListedFile file = ListedFileOf(row);
    file.Record.Name = stored.Name;
    file.Record.Controller = stored.Controller;
    file.Record.Author = stored.Author;
    file.Record.Description = stored.Description;
    file.Record.Comment = stored.Comment;
    bool isNumber = false;
    const short version = stored.ServerVersion.toShort(&isNumber);
    if (isNumber)
        file.Record.CurrentVersion = version;
    row.setText(stored.Name);
    ShowRecord(row, file.Record, stored.LocalVersion.toShort());
    row.setSubItem(LatestVersion, stored.ServerVersion);
}

ListedFile ListedFileOf(const ListItem& row)
{
    return row.data().value<ListedFile>();
}

} // namespace FileListColumns
