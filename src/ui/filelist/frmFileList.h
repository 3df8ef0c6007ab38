#pragma once

#include "FileListRows.h"

#include "store/SharedFiles.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class Inet;
class InetLink;
class ImageList;
class ListItem;
class ListView;
class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class SplitterBar;
class TransferLog;
class TransferProgress;
class frmSetLocalDir;
struct RowMarkings;

// The member's view of the shared project files. Its operations read the
// selection, run the shared-file operation of the same name (SharedFiles)
// and rebuild the rows. It owns the transfer component all shared-file
// transfers run on.
class frmFileList : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmFileList(QWidget* parent = nullptr);
    ~frmFileList() override;

    // Rebuilds the list from a freshly fetched control file.
    bool UpdateFileList();
    QString GetIcon(bool useStateIcon, const QString& state, const QString& fileName) const;
    void SaveIcons();
    void LoadIcons();

    // The control file's procedures, on this window's transfer component.
    bool GetFile(const QString& fileName);
    bool GetControlFile();
    SharedFiles& Files() { return *m_files; }
    // Runs a shared-file operation on this window's connection. While it
    // waits for the server, nothing else may use the connection: a refresh
    // asked for meanwhile comes once it is over, and the command box rests.
    void RunOperation(const std::function<void()>& operation);

    void ChangeLocalFolder();
    void Explore();
    void SelectAll();
    void SelectNone();

    // The operations on the selected rows.
    void CheckOut();
    void CheckIn();
    void GetLatestVersion();
    void AddFiles();
    void EnableOwnerOptions();
    void ChangeFileDescription();
    void DeleteFile();
    void OpenFile();
    void RelinquishControl();
    void ToggleReadOnly();
    // The administrator's editor of the selected file's record.
    void EditFileDetails();

    // Public variables read by the other windows.
    QString GetChunkData;
    short LastCountOfOutdatedFiles = 0;
    short LastCountOfCheckedOutFiles = 0;

    QWidget* picToolBar;
    QToolButton* cmdExplorer;
    QToolButton* cmdOptions;
    QToolButton* cmdRefresh;
    QToolButton* cmdSetLocalFolder;
    QToolButton* cmdAddFile;
    QToolButton* cmdCheckOut;
    QToolButton* cmdCheckIn;
    QToolButton* cmdGetLatestVersion;
    ListView* lvwFileList;
    ImageList* imglstFileList;
    QLabel* picPreview;
    QPlainTextEdit* txtPreview;
    SplitterBar* picResize1;
    QLineEdit* txtCommands;
    // What a shared-file operation is doing, and how far through its files.
    QLabel* lblOperation;
    QProgressBar* prgOperation;
    QPlainTextEdit* txtResults;
    Inet* inet;
    // Long transfers in the status area, with their Cancel.
    TransferProgress* picTransfer;
    // What the operations did, file by file; its lines go into txtResults.
    TransferLog* transferLog;

    QMenu* mnuFile;
    QAction* mnuFileRefresh;
    QAction* mnuFileAddFiles;
    QAction* mnuFileShowCheckedOutFiles;
    QAction* mnuFileShowOutOfDate;
    QAction* mnuFileSetLocalFolder;
    QAction* mnuFileExplore;
    QAction* mnuFileUsers;
    QAction* mnuFileExit;
    QMenu* mnuEdit;
    QAction* mnuEditSelectAll;
    QAction* mnuEditSelectNone;
    QMenu* mnuView;
    QAction* mnuViewToolbar;
    QAction* mnuViewOptions;
    QMenu* mnuActions;
    QAction* mnuActionsOpenFile;
    QAction* mnuActionsReadOnly;
    QAction* mnuActionsGetLatestVersion;
    QAction* mnuActionsCheckIn;
    QAction* mnuActionsCheckOut;
    QAction* mnuActionsChangeFileDescription;
    QAction* mnuActionsDeleteFile;
    QAction* mnuActionsRelinquishControl;
    QAction* mnuActionsEditFileDetails;

    // Width of the preview pane, moved by the splitter bar.
    int PreviewWidth() const { return m_previewWidth; }
    // Lays the window out again (on resize, activation and option changes).
    void LayoutWindow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void Form_Load();
    void inet_StateChanged(int state);
    void lvwFileList_ItemClick(ListItem* item);
    void lvwFileList_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void picResize1_Dropped(const QPoint& globalPos);
    void mnuViewToolbar_Click();
    void txtCommands_Return();
    // Adds a line of the transfer log at the end of txtResults.
    void AppendLogLine(const QString& line);
    void ShowPreview(const QString& fileName);
    // Adds a row for each listed record and counts the member's files.
    void AddRows(const QVector<FileRecord>& records, const RowMarkings& markings);
    QList<ListedFile> SelectedFiles() const;
    // An owner's action on the selected file; on success the file's row
    // shows the change.
    void OwnerAction(const std::function<bool(const FileRecord&)>& action,
                     const std::function<void(ListItem&)>& showChange);

    int m_operations = 0;         // shared-file operations under way
    bool m_refreshWanted = false; // a refresh asked for while one ran
    int m_previewWidth = 260;
    QPointer<frmSetLocalDir> m_localDirChooser;
    std::unique_ptr<InetLink> m_link;
    std::unique_ptr<FileListRows> m_rows;
    std::unique_ptr<SharedFiles> m_files;

public:
    // The windows this one opens; they close with it. The check-in dialog is
    // kept (hidden) between check-ins so it remembers its comment and boxes.
    QPointer<QWidget> CheckInDialog;
    QPointer<QWidget> AddFileWindow;
    QPointer<QWidget> OptionsWindow;
    QPointer<QWidget> OutdatedFilesWindow;
    QPointer<QWidget> CheckedOutFilesWindow;
};
