#pragma once
// The shared files list as the operations see it: rows found by file name,
// so an operation that waited for the server while the member refreshed the
// list shows its progress on the rebuilt rows, and on none for a file that
// is no longer listed.

#include "store/SharedFiles.h"

#include <QTimer>

class ListItem;
class ListView;
class QLabel;
class QProgressBar;
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
    // The step shows in step and its bar over the batch's files, once the
    // operation has run a second (as the transfer strip does).
    void ShowStepsIn(QLabel& step, QProgressBar& bar);
    void ShowStep(const QString& step, int done, int total) override;
    void EndSteps();

private:
    QLabel* m_step = nullptr;
    QProgressBar* m_bar = nullptr;
    QTimer m_showLater;
    ListView& m_list;
    TransferLog& m_log;
};
