#pragma once

#include "store/ControlFile.h"
#include "store/ControlFileRewrite.h"

#include <QMainWindow>
#include <QPointer>

class Inet;
class ImageList;
class ListItem;
class ListView;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class SplitterBar;
class frmSetLocalDir;
struct RowMarkings;

// The member's view of the shared project files, and the home of every
// operation on them. It owns the transfer component all shared-file
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

    bool GetFile(const QString& fileName);
    bool GetControlFile();
    // The one procedure that changes the control file.
    bool UpdateFileDetails(const QString& pstrFileName, bool pblnNewFile,
                           const FileDetailsValues& values = {}, bool pblnDeleteFile = false,
                           bool pblnGetControlFile = false, bool pblnSaveControlFile = false);

    void ChangeLocalFolder();
    void Explore();
    void SelectAll();
    void SelectNone();

    // The operations on the selected rows (each in a source file of its own).
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

    // Runs one FTP command and waits for it, letting window events run.
    void ExecuteAndWait(const QString& command);

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
    QPlainTextEdit* txtResults;
    Inet* inet;

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
    void ShowPreview(const QString& fileName);
    // Adds a row for each listed record; the number of rows added.
    int AddRows(const QVector<FileRecord>& records, const RowMarkings& markings);

    int m_previewWidth = 260;
    QPointer<frmSetLocalDir> m_localDirChooser;

public:
    // The windows this one opens; they close with it. The check-in dialog is
    // kept (hidden) between check-ins so it remembers its comment and boxes.
    QPointer<QWidget> CheckInDialog;
    QPointer<QWidget> AddFileWindow;
    QPointer<QWidget> OptionsWindow;
    QPointer<QWidget> OutdatedFilesWindow;
    QPointer<QWidget> CheckedOutFilesWindow;
};
