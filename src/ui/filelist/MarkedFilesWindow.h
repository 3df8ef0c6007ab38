#pragma once
// A ticked extract of the shared files window's list with one button that
// runs one of that window's operations on the ticked files. The checked-out
// and the out-of-date lists are the two kinds; they decide which rows belong
// and which operation the button runs.

#include <QPointer>
#include <QWidget>

class ListItem;
class ListView;
class QPushButton;
class frmFileList;

class MarkedFilesWindow : public QWidget
{
    Q_OBJECT
public:
    // Rebuilds the rows from the shared files window's list.
    void RefreshList();

    // Set once the window has been unloaded; an operation that was running
    // meanwhile must not touch it afterwards.
    bool IsClosed = false;

    QWidget* picButtons;
    QPushButton* cmdClose;

protected:
    // The window belongs to the shared files window and closes with it.
    MarkedFilesWindow(frmFileList& fileList, const QString& caption, const char* listName,
                      const char* actionName, const QString& actionCaption);

    // Whether a row of the shared files window's list is shown here.
    virtual bool IsListed(const ListItem& row) const = 0;
    // Runs the shared files window's operation on its selected rows.
    virtual void RunAction(frmFileList& fileList) = 0;

    // The part of loading that needs the kind's row test; the kind's
    // constructor calls it last.
    void Form_Load();

    ListView* m_list;
    QPushButton* m_action;

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CopyColumns();
    void Action_Click();
    void LayoutWindow();

    QPointer<frmFileList> m_fileList;
};
