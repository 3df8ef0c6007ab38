#include "FileListColumns.h"

#include "ui/widgets/ListView.h"

#include "app/modSkiff.h"

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
}

ListedFile ListedFileOf(const ListItem& row)
{
    // The version cells hold the numbers the list was built with; read as
    // numbers, as the member compares them.
    auto version = [&row](const QString& key) {
        return modSkiff::ToInteger(modSkiff::Val(row.subItem(key)));
    };
    ListedFile file;
    file.Record.Name = row.text();
    file.Record.CurrentVersion = version(LatestVersion);
    file.Record.Controller = row.subItem(CheckedOut);
    file.Record.Author = row.subItem(Owner);
    file.Record.Description = row.subItem(Description);
    file.Record.Comment = row.subItem(LastUpdatedBy);
    file.LocalVersion = version(MyVersion);
    return file;
}

} // namespace FileListColumns
