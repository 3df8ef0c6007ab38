#pragma once
// The shared files list as the operations see it: rows found by file name,
// so an operation that waited for the server while the member refreshed the
// list shows its progress on the rebuilt rows, and on none for a file that
// is no longer listed.

#include "store/SharedFiles.h"

class ListItem;
class ListView;
class TransferLog;

class FileListRows : public SharedFilesView
{
public:
    // What became of each file goes into the window's transfer log.
    FileListRows(ListView& list, TransferLog& log) : m_list(list), m_log(log) {}

    // The row listing the file; null when none does.
    ListItem* Row(const QString& name) const;

    void ShowFile(const QString& name) override;
    void SelectFile(const QString& name, bool selected) override;
    void SetFileIcon(const QString& name, const QString& icon) override;
    void SetLocalVersion(const QString& name, short version) override;
    void ReportFile(const QString& name, const QString& what) override;

private:
    ListView& m_list;
    TransferLog& m_log;
};
