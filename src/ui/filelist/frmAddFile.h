#pragma once

#include <QDialog>
#include <QSet>

class ListView;
class QLabel;
class QPushButton;
class frmFileList;

// Offers the local files that are not shared yet: adds the chosen ones to
// the store, hides files from the offer for good, or deletes local files.
class frmAddFile : public QDialog
{
    Q_OBJECT
public:
    explicit frmAddFile(frmFileList* fileList);

    ListView* lvwAddFileList;
    QPushButton* cmdAdd;
    QPushButton* cmdHideFiles;
    QPushButton* cmdDeleteFiles;
    QPushButton* cmdRefresh;
    QPushButton* cmdClose;
    QLabel* lblHidden;

private:
    void FillAddFileList();
    bool IsExcludedFile(const QString& name) const;
    QStringList SelectedNames() const;
    void ShowDone(const QString& text);

    void cmdAdd_Click();
    void cmdHideFiles_Click();
    void cmdDeleteFiles_Click();

    frmFileList* m_fileList; // the owner, which outlives this window
    QSet<QString> m_hidden;  // lower case, read by each refill
};
