#pragma once

#include "explorer/SiteExplorer.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <functional>

class BrowserView;
class CaptionButton;
class ImageList;
class Inet;
class ListItem;
class ListView;
class QAction;
class QFrame;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class SplitterBar;
class TransferLog;
class TransferProgress;

// The web site explorer: the site's folders within the member's web access
// (all of them for full access), the files of the shown folder with their
// mirror state, the file operations on them and a preview pane. The logic
// lives in SiteExplorer; the procedures here take the selection, call it
// and show the outcome.
class frmExplorer : public QWidget
{
    Q_OBJECT
public:
    explicit frmExplorer(QWidget* parent = nullptr);
    ~frmExplorer() override;

    // Prepares access, builds the tree, shows the window and lists the root.
    void Do_ShowWebPage();

    // The body of the transfer component's last completed response.
    const QString& ListingText() const { return m_site.ListingText; }

    QWidget* picButtonBar;
    CaptionButton* cmdDownload;
    CaptionButton* cmdOpenEdit;
    CaptionButton* cmdExternalEditor;
    CaptionButton* cmdUploadFile;
    CaptionButton* cmdAddFilesToServer;
    CaptionButton* cmdNewFile;
    CaptionButton* cmdReplaceWith;
    CaptionButton* cmdDeleteFile;
    CaptionButton* cmdDeleteLocal;
    CaptionButton* cmdSelectAll;
    CaptionButton* cmdExplorer;
    CaptionButton* cmdPreviewPAne;
    QTreeWidget* tvwExplorer;
    SplitterBar* picResize1;
    ListView* lvwExplorer;
    SplitterBar* picResize2;
    QFrame* picPreview;
    BrowserView* webPreview;
    ImageList* imglistExplorer;
    Inet* inet;
    // Long transfers, over the bottom of the window while they run.
    TransferProgress* picTransfer;
    // What the operations did, file by file; shown by "Transfer Log".
    TransferLog* transferLog;

    QMenu* mnuAction;
    QAction* mnuActionDownload;
    QAction* mnuActionBreak1;
    QAction* mnuActionOpenEdit;
    // Element 0 is the design-time "Edit With...", kept hidden; the editors
    // of the editors file are the elements 1, 2, 3 ... in file order, their
    // commands as written in the file in their data.
    QList<QAction*> mnuActionExternalEditor;
    QAction* mnuActionConfigure;
    QAction* mnuActionBreak2;
    QAction* mnuActionUpload;
    QAction* mnuActionDeleteFile;
    QAction* mnuActionDeleteLocal;
    // The folder tree's pop-up item (and Ctrl+L) that shows the transfer log.
    QAction* mnuTransferLog;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class OperationFrame;

    void BuildButtonBar();
    void BuildMenu();
    void LayoutWindow();

    void LoadExternalEditors();
    void AddFolderNode(const QString& parentKey, const QString& folder);
    void ListFolderFiles();
    QString GetFileIcon(const QString& fileName) const;
    QString GetFileIcon(const QString& fileName, const QString& folderKey) const;

    QTreeWidgetItem* SelectedNode() const;
    static QString NodeKey(const QTreeWidgetItem* node);
    static QString NodeTag(const QTreeWidgetItem* node);
    static void SetNodeTag(QTreeWidgetItem* node, const QString& tag);
    void EnableRights(bool addFiles, bool deleteFiles);

    void inet_StateChanged(int state);
    void tvwExplorer_NodeClick();
    void lvwExplorer_Click();
    // The pane shows the selected file's mirror copy as it is now.
    void PreviewSelected();
    void lvwExplorer_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void picResize1_DragDrop(const QPoint& globalPos);
    void picResize2_DragDrop(const QPoint& globalPos);
    void DropFirstBar(const QPoint& globalPos);
    void DropSecondBar(const QPoint& globalPos);

    void cmdOpenEdit_Click();
    void cmdExternalEditor_Click();
    void mnuActionExternalEditor_Click(int index);
    void mnuActionConfigure_Click();
    // The file operations' items of the pop-up menu, hidden while it offers
    // only the editors.
    void ShowFileItems(bool visible);
    void cmdDownload_Click();
    void cmdUploadFile_Click();
    void cmdDeleteFile_Click();
    void cmdDeleteLocal_Click();
    void cmdNewFile_Click();
    void cmdAddFilesToServer_Click();
    void cmdReplaceWith_Click();
    void cmdSelectAll_Click();
    void cmdExplorer_Click();
    void cmdPreviewPAne_Click();
    void mnuTransferLog_Click();
    // Every control but the transfer's own (its Cancel stays usable).
    void EnableControls(bool enabled);

    // An operation with the common frame (window disabled, busy pointer,
    // both restored on every path); a run-time error becomes a message.
    void Operation(const std::function<void()>& body);
    // The selected items after the "none selected" message and the
    // confirmation; empty when the member was told or said no.
    QList<ListItem*> ConfirmedSelection(SiteExplorer::Batch batch, int icon);
    // Runs step on each selected item in order, with busyIcon while it
    // works and the mirror state after it; stops at the first failure.
    void ForEachSelected(const QList<ListItem*>& items, const QString& busyIcon,
                         const std::function<bool(const QString& sitePath)>& step);

    SiteExplorer m_site;
    QIcon m_folderIcon;
    QHash<QString, QTreeWidgetItem*> m_nodes; // by key in lower case
    QTreeWidgetItem* ShownNode = nullptr;
    int m_treeWidth = 210;
    int m_previewWidth = 330;
    int m_operations = 0;
    bool m_closeRequested = false;
    QPointer<QWidget> m_logWindow;
};
