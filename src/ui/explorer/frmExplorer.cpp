#include "frmExplorer.h"

#include "ui/WindowPlacement.h"
#include "ui/filelist/SplitterBar.h"
#include "ui/widgets/BrowserView.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/TransferProgress.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "transport/Inet.h"
#include "transport/TransferLog.h"
#include "transport/TransferStatus.h"
#include "users/WebAccessList.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace modSkiff;

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kBarWidth = 5;          // the splitter bars
constexpr int kButtonGap = 2;
constexpr int kRightMargin = 60 / 15; // 60 twips
constexpr int kMinimumPane = 40;

} // namespace

// Disables the window's controls and shows the busy pointer for an
// operation; both come back on every way out. A close asked for meanwhile
// waits until the outermost operation is over, since the operation runs in
// this window.
class frmExplorer::OperationFrame
{
public:
    explicit OperationFrame(frmExplorer& window) : m_window(window)
    {
        if (m_window.m_operations++ > 0)
            return;
        // Disabled controls lose the focus; the list gets it back afterwards,
        // or its shortcuts (Del after Ctrl+D) would go nowhere.
        if (QWidget* focus = m_window.focusWidget(); focus && m_window.isAncestorOf(focus))
            m_focus = focus;
        m_window.EnableControls(false);
    }
    ~OperationFrame()
    {
        if (--m_window.m_operations > 0)
            return;
        m_window.EnableControls(true);
        if (m_focus)
            m_focus->setFocus(Qt::OtherFocusReason);
        if (m_window.m_closeRequested)
            QTimer::singleShot(0, &m_window, &QWidget::close);
    }
    OperationFrame(const OperationFrame&) = delete;
    OperationFrame& operator=(const OperationFrame&) = delete;

private:
    frmExplorer& m_window;
    QPointer<QWidget> m_focus;
    BusyPointer m_busy;
};

frmExplorer::frmExplorer(QWidget* parent) : QWidget(parent), inet(new Inet(this)), m_site(*inet)
{
    setObjectName(QStringLiteral("frmExplorer"));
    setWindowTitle(QStringLiteral("QX Web Page"));
    setAttribute(Qt::WA_DeleteOnClose);
    inet->setObjectName(QStringLiteral("inet"));

    imglistExplorer = NewExplorerImages(this);
    // Folders show "folderclosed", and "folderopen" while selected.
    for (const QSize size : {QSize(16, 16), QSize(32, 32)}) {
        m_folderIcon.addPixmap(imglistExplorer->icon(QStringLiteral("folderclosed")).pixmap(size));
        m_folderIcon.addPixmap(imglistExplorer->icon(QStringLiteral("folderopen")).pixmap(size),
                               QIcon::Selected);
    }
    BuildButtonBar();

    tvwExplorer = new QTreeWidget(this);
    tvwExplorer->setObjectName(QStringLiteral("tvwExplorer"));
    tvwExplorer->setHeaderHidden(true);
    tvwExplorer->setColumnCount(1);
    tvwExplorer->setIconSize(QSize(16, 16));

    picResize1 = new SplitterBar(this);
    picResize1->setObjectName(QStringLiteral("picResize1"));

    lvwExplorer = new ListView(this);
    lvwExplorer->setObjectName(QStringLiteral("lvwExplorer"));
    lvwExplorer->setImageList(imglistExplorer);
    lvwExplorer->addColumn(QStringLiteral("name"), QStringLiteral("Name"), 260);
    lvwExplorer->setView(ListView::lvwList);
    // By name, as file managers show a folder; the server's order is its own.
    lvwExplorer->setSortKey(0);
    lvwExplorer->setSorted(true);

    picResize2 = new SplitterBar(this);
    picResize2->setObjectName(QStringLiteral("picResize2"));

    picPreview = new QFrame(this);
    picPreview->setObjectName(QStringLiteral("picPreview"));
    picPreview->setFrameShape(QFrame::StyledPanel);
    webPreview = new BrowserView(picPreview);
    webPreview->setObjectName(QStringLiteral("webPreview"));
    picPreview->hide();
    picResize2->hide();

    picTransfer = new TransferProgress(this);
    picTransfer->Watch(*inet);
    transferLog = new TransferLog(this);
    inet->Log = transferLog;

    BuildMenu();
    // Until the shown folder's rights say otherwise.
    EnableRights(false, false);

    connect(inet, &Inet::StateChanged, this, &frmExplorer::inet_StateChanged);
    connect(tvwExplorer, &QTreeWidget::itemClicked, this, &frmExplorer::tvwExplorer_NodeClick);
    connect(tvwExplorer, &QTreeWidget::currentItemChanged, this,
            &frmExplorer::tvwExplorer_NodeClick);
    connect(lvwExplorer, &ListView::itemClick, this, &frmExplorer::lvwExplorer_Click);
    connect(lvwExplorer, &ListView::mouseUp, this, &frmExplorer::lvwExplorer_MouseUp);
    connect(picResize1, &SplitterBar::dropped, this, &frmExplorer::picResize1_DragDrop);
    connect(picResize2, &SplitterBar::dropped, this, &frmExplorer::picResize2_DragDrop);

    connect(cmdOpenEdit, &QToolButton::clicked, this, &frmExplorer::cmdOpenEdit_Click);
    connect(mnuActionOpenEdit, &QAction::triggered, this, &frmExplorer::cmdOpenEdit_Click);
    connect(cmdExternalEditor, &QToolButton::clicked, this, &frmExplorer::cmdExternalEditor_Click);
    connect(mnuActionConfigure, &QAction::triggered, this, &frmExplorer::mnuActionConfigure_Click);
    connect(cmdDownload, &QToolButton::clicked, this, &frmExplorer::cmdDownload_Click);
    connect(mnuActionDownload, &QAction::triggered, this, &frmExplorer::cmdDownload_Click);
    connect(cmdUploadFile, &QToolButton::clicked, this, &frmExplorer::cmdUploadFile_Click);
    connect(mnuActionUpload, &QAction::triggered, this, &frmExplorer::cmdUploadFile_Click);
    connect(cmdDeleteFile, &QToolButton::clicked, this, &frmExplorer::cmdDeleteFile_Click);
    connect(mnuActionDeleteFile, &QAction::triggered, this, &frmExplorer::cmdDeleteFile_Click);
    connect(cmdDeleteLocal, &QToolButton::clicked, this, &frmExplorer::cmdDeleteLocal_Click);
    connect(mnuActionDeleteLocal, &QAction::triggered, this, &frmExplorer::cmdDeleteLocal_Click);
    connect(cmdNewFile, &QToolButton::clicked, this, &frmExplorer::cmdNewFile_Click);
    connect(cmdAddFilesToServer, &QToolButton::clicked, this,
            &frmExplorer::cmdAddFilesToServer_Click);
    connect(cmdReplaceWith, &QToolButton::clicked, this, &frmExplorer::cmdReplaceWith_Click);
    connect(cmdSelectAll, &QToolButton::clicked, this, &frmExplorer::cmdSelectAll_Click);
    connect(cmdExplorer, &QToolButton::clicked, this, &frmExplorer::cmdExplorer_Click);
    connect(cmdPreviewPAne, &QToolButton::clicked, this, &frmExplorer::cmdPreviewPAne_Click);
    // The log has no place in the window's layout: the folder tree's own
    // menu and Ctrl+L open it in a window of its own.
    mnuTransferLog = new QAction(QStringLiteral("Show Transfer &Log..."), this);
    mnuTransferLog->setObjectName(QStringLiteral("mnuTransferLog"));
    mnuTransferLog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuTransferLog->setShortcutContext(Qt::WindowShortcut);
    addAction(mnuTransferLog);
    tvwExplorer->addAction(mnuTransferLog);
    tvwExplorer->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(mnuTransferLog, &QAction::triggered, this, &frmExplorer::mnuTransferLog_Click);

    // Wide enough for the whole button row.
    resize(qMax(1040, cmdPreviewPAne->geometry().right() + 1 + kRightMargin), 640);
    CenterOnScreen(this);
}

frmExplorer::~frmExplorer() = default;

void frmExplorer::BuildButtonBar()
{
    picButtonBar = new QWidget(this);
    picButtonBar->setObjectName(QStringLiteral("picButtonBar"));
    auto add = [this](CaptionButton*& button, const char* name, const QString& caption,
                      const char* picture, const QString& toolTip) {
        button = new CaptionButton(
            caption, QIcon(QStringLiteral(":/images/") + QLatin1String(picture) + ".svg"),
            picButtonBar);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(toolTip);
    };
    add(cmdDownload, "cmdDownload", QStringLiteral("Download File(s)"), "file-download",
        QStringLiteral("click here to download all of the selected files from the server"));
    add(cmdOpenEdit, "cmdOpenEdit", QStringLiteral("Download and Edit"), "file-edit",
        QStringLiteral("This is the easiest way to update a page if you know how to edit HTML"));
    add(cmdExternalEditor, "cmdExternalEditor", QStringLiteral("Edit With..."), "file-editwith",
        QStringLiteral("This will let you edit a file that is on your local hard drive.  If you "
                       "want to send the changes to the server when you are done, click <Send "
                       "File(s) to Server>"));
    add(cmdUploadFile, "cmdUploadFile", QStringLiteral("Send File(s) to Server"), "file-upload",
        QStringLiteral("This button sends the local copy of all selected files to the server"));
    add(cmdAddFilesToServer, "cmdAddFilesToServer", QStringLiteral("Add File(s) to Server"),
        "add",
        QStringLiteral("This button will allow you to brows your local hard drive and add a file "
                       "to the server."));
    add(cmdNewFile, "cmdNewFile", QStringLiteral("New File"), "file-new", QString());
    add(cmdReplaceWith, "cmdReplaceWith", QStringLiteral("Replace File With..."), "file-replace",
        QStringLiteral("This button will allow you to browse your local hard drive and replace "
                       "the selected file on the server with a file on your hard drive."));
    add(cmdDeleteFile, "cmdDeleteFile", QStringLiteral("Delete File(s) from Server"),
        "file-deleteserver",
        QStringLiteral("This button will delete a file from the server.  If you want to delete "
                       "the file from your local computer as well, you should click <Delete Local "
                       "File(s)> before clicking on this button."));
    add(cmdDeleteLocal, "cmdDeleteLocal", QStringLiteral("Delete Local File(s)"), "file-delete",
        QStringLiteral("This button deletes the local copy of a file."));
    add(cmdSelectAll, "cmdSelectAll", QStringLiteral("Select All Files"), "select-all",
        QStringLiteral("click on this button to select all of the files in the current folder"));
    add(cmdExplorer, "cmdExplorer", QStringLiteral("Explorer"), "folder-open", QString());
    add(cmdPreviewPAne, "cmdPreviewPAne", QStringLiteral("Preview Pane"), "preview", QString());

    const QList<CaptionButton*> buttons = picButtonBar->findChildren<CaptionButton*>();
    int x = kButtonGap;
    int height = 0;
    for (CaptionButton* button : buttons) {
        const QSize size = button->sizeHint();
        button->setGeometry(x, kButtonGap, size.width(), size.height());
        x += size.width() + kButtonGap;
        height = qMax(height, size.height());
    }
    picButtonBar->setFixedHeight(height + 2 * kButtonGap);
}

void frmExplorer::BuildMenu()
{
    mnuAction = new QMenu(QStringLiteral("&Action"), this);
    mnuAction->setObjectName(QStringLiteral("mnuAction"));
    auto item = [this](const char* name, const QString& caption, const QKeySequence& shortcut) {
        QAction* action = mnuAction->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            // The shortcuts work in the list, where the files are chosen.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            lvwExplorer->addAction(action);
        }
        return action;
    };
    auto separator = [this](const char* name) {
        QAction* action = mnuAction->addSeparator();
        action->setObjectName(QLatin1String(name));
        return action;
    };
    mnuActionDownload = item("mnuActionDownload",
                             QStringLiteral("Download selected file(s) from server"),
                             QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuActionBreak1 = separator("mnuActionBreak1");
    mnuActionOpenEdit = item("mnuActionOpenEdit", QStringLiteral("Download and Edit (quick and easy)"),
                             QKeySequence(Qt::CTRL | Qt::Key_E));
    QAction* editWith = mnuAction->addAction(QStringLiteral("Edit With..."));
    editWith->setObjectName(QStringLiteral("mnuActionExternalEditor"));
    editWith->setVisible(false);
    mnuActionExternalEditor.append(editWith);
    mnuActionConfigure = mnuAction->addAction(QStringLiteral("Configure External Editors..."));
    mnuActionConfigure->setObjectName(QStringLiteral("mnuActionConfigure"));
    mnuActionBreak2 = separator("mnuActionBreak2");
    mnuActionUpload = item("mnuActionUpload", QStringLiteral("Upload selected file(s) to server"),
                           QKeySequence(Qt::CTRL | Qt::Key_U));
    mnuActionDeleteFile = item("mnuActionDeleteFile",
                               QStringLiteral("Delete selected file(s) from server"),
                               QKeySequence(Qt::Key_Delete));
    mnuActionDeleteLocal = item("mnuActionDeleteLocal",
                                QStringLiteral("Delete selected file(s) from your local hard drive"),
                                QKeySequence());
    // "Edit With..." hides the file items, and a hidden item's shortcut is
    // dead: they come back as the menu closes, so that Ctrl+D, Ctrl+E,
    // Ctrl+U and Del keep working.
    connect(mnuAction, &QMenu::aboutToHide, this, [this] { ShowFileItems(true); });
}

// --- opening, the tree and the list

void frmExplorer::Do_ShowWebPage()
{
    RunGuarded([this] {
        // A repeated call starts again from the server rather than adding
        // a second root.
        tvwExplorer->clear();
        m_nodes.clear();
        ShownNode = nullptr;
        lvwExplorer->clear();

        LoadExternalEditors();
        m_site.PrepareAccess();
        auto* root = new QTreeWidgetItem(tvwExplorer, {QStringLiteral("WebPage")});
        root->setData(0, kKeyRole, QString());
        m_nodes.insert(QString(), root);
        if (!m_site.FullAccess) {
            for (const WebAccessList::FolderStep& step : WebAccessList::TreeFolders(m_site.WebAccess))
                AddFolderNode(step.parentKey, step.folder);
        }
        root->setIcon(0, m_folderIcon);
        root->setExpanded(true);
        {
            const QSignalBlocker quiet(tvwExplorer);
            tvwExplorer->setCurrentItem(root);
        }
        show();
        ListFolderFiles();
    }, vbOKOnly);
}

void frmExplorer::AddFolderNode(const QString& parentKey, const QString& folder)
{
    const auto node = SiteExplorer::NewFolderNode(
        parentKey, folder, [this](const QString& key) { return m_nodes.contains(key.toLower()); });
    if (!node)
        return;
    auto* item = new QTreeWidgetItem(m_nodes.value(parentKey.toLower()), {node->text});
    item->setData(0, kKeyRole, node->key);
    item->setIcon(0, m_folderIcon);
    m_nodes.insert(node->key.toLower(), item);
}

QTreeWidgetItem* frmExplorer::SelectedNode() const
{
    QTreeWidgetItem* node = tvwExplorer->currentItem();
    return node && node->isSelected() ? node : nullptr;
}

QString frmExplorer::NodeKey(const QTreeWidgetItem* node)
{
    return node->data(0, kKeyRole).toString();
}

QString frmExplorer::NodeTag(const QTreeWidgetItem* node)
{
    return node->data(0, kTagRole).toString();
}

void frmExplorer::SetNodeTag(QTreeWidgetItem* node, const QString& tag)
{
    node->setData(0, kTagRole, tag);
}

void frmExplorer::EnableRights(bool addFiles, bool deleteFiles)
{
    cmdAddFilesToServer->setEnabled(addFiles);
    cmdNewFile->setEnabled(addFiles);
    cmdDeleteFile->setEnabled(deleteFiles);
    mnuActionDeleteFile->setEnabled(deleteFiles);
}

void frmExplorer::ListFolderFiles()
{
    OperationFrame frame(*this);
    lvwExplorer->clear();
    QTreeWidgetItem* node = SelectedNode();
    if (!node)
        return;
    const QString key = NodeKey(node);
    QString tag = NodeTag(node);
    const SiteExplorer::FolderContents contents = m_site.ListFolder(key, tag, CurrentUser);
    SetNodeTag(node, tag);
    EnableRights(contents.addFiles, contents.deleteFiles);
    for (const QString& folder : contents.folders)
        AddFolderNode(key.toLower(), folder + QLatin1Char('/'));
    node->setExpanded(true);
    lvwExplorer->beginUpdate();
    for (const QString& name : contents.files)
        lvwExplorer->addItem(QString(), name, GetFileIcon(name, key));
    lvwExplorer->endUpdate();
}

QString frmExplorer::GetFileIcon(const QString& fileName) const
{
    const QTreeWidgetItem* node = SelectedNode();
    return node ? GetFileIcon(fileName, NodeKey(node)) : QString();
}

QString frmExplorer::GetFileIcon(const QString& fileName, const QString& folderKey) const
{
    return SiteExplorer::MirrorIcon(folderKey, fileName);
}

void frmExplorer::tvwExplorer_NodeClick()
{
    RunGuarded([this] {
        QTreeWidgetItem* node = SelectedNode();
        if (!node || node == ShownNode)
            return;
        ListFolderFiles();
        ShownNode = node;
    }, vbOKOnly);
}

void frmExplorer::lvwExplorer_Click()
{
    RunGuarded([this] {
        PreviewSelected();
        if (ListItem* item = lvwExplorer->selectedItem())
            item->setSmallIcon(GetFileIcon(item->text()));
    }, kErrorsIgnored);
}

void frmExplorer::PreviewSelected()
{
    const QTreeWidgetItem* node = SelectedNode();
    const ListItem* item = lvwExplorer->selectedItem();
    if (picPreview->isHidden() || !node || !item)
        return;
    const QString copy = SiteExplorer::ExistingMirrorCopy(NodeKey(node), item->text());
    webPreview->Navigate(copy.isEmpty() ? QStringLiteral("about:blank")
                                        : QStringLiteral("file://") + copy);
}

void frmExplorer::lvwExplorer_MouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    RunGuarded([&] {
        if (button != Qt::RightButton || !SelectedNode() || !lvwExplorer->selectedItem())
            return;
        ShowFileItems(true);
        mnuAction->setDefaultAction(mnuActionOpenEdit);
        mnuAction->popup(globalPos);
    }, vbOKOnly);
}

void frmExplorer::inet_StateChanged(int state)
{
    try {
        const QString caption = TransferStatus::Caption(state);
        if (!caption.isEmpty())
            setWindowTitle(caption);
        m_site.ReadResponse(state);
    } catch (const SkiffError& error) {
        ShowCommunicationsError(
            error, QStringLiteral("Do not continue using Skiff.  Close Skiff and restart it.  I "
                                  "don't know why this happens and yes it's really annoying but "
                                  "there's nothing I can do about it so I'm sorry."));
    }
}

// --- layout

void frmExplorer::LayoutWindow()
{
    const int top = picButtonBar->height();
    const int height = qMax(0, this->height() - top);
    const int width = this->width();
    picButtonBar->setGeometry(0, 0, width, picButtonBar->height());
    // The "Preview Pane" button keeps to the right edge, but never moves
    // left of its place in the row.
    const QList<CaptionButton*> buttons = picButtonBar->findChildren<CaptionButton*>();
    const int designed = buttons.size() > 1 ? buttons.at(buttons.size() - 2)->geometry().right() +
                                                  1 + kButtonGap
                                            : kButtonGap;
    cmdPreviewPAne->move(qMax(designed, width - kRightMargin - cmdPreviewPAne->width()),
                         cmdPreviewPAne->y());

    const bool preview = !picPreview->isHidden();
    const int reserved = preview ? kMinimumPane + kBarWidth : 0;
    m_treeWidth = qBound(kMinimumPane, m_treeWidth,
                         qMax(kMinimumPane, width - kBarWidth - kMinimumPane - reserved));
    tvwExplorer->setGeometry(0, top, m_treeWidth, height);
    picResize1->setGeometry(m_treeWidth, top, kBarWidth, height);
    const int listLeft = m_treeWidth + kBarWidth;
    if (preview) {
        m_previewWidth = qBound(kMinimumPane, m_previewWidth,
                                qMax(kMinimumPane, width - listLeft - kBarWidth - kMinimumPane));
        const int paneLeft = width - m_previewWidth;
        picPreview->setGeometry(paneLeft, top, m_previewWidth, height);
        picResize2->setGeometry(paneLeft - kBarWidth, top, kBarWidth, height);
        picResize2->show();
        lvwExplorer->setGeometry(listLeft, top, qMax(0, paneLeft - kBarWidth - listLeft), height);
        webPreview->setGeometry(picPreview->contentsRect());
    } else {
        picResize2->hide();
        lvwExplorer->setGeometry(listLeft, top, qMax(0, width - listLeft), height);
    }
    // Over the bottom of the window, where it takes no room of its own.
    const int strip = picTransfer->sizeHint().height();
    picTransfer->setGeometry(0, this->height() - strip, width, strip);
}

void frmExplorer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RunGuarded([this] { LayoutWindow(); }, kErrorsIgnored);
}

void frmExplorer::picResize1_DragDrop(const QPoint& globalPos)
{
    RunGuarded([&] { DropFirstBar(globalPos); }, kErrorsIgnored);
}

void frmExplorer::picResize2_DragDrop(const QPoint& globalPos)
{
    RunGuarded([&] { DropSecondBar(globalPos); }, kErrorsIgnored);
}

void frmExplorer::DropFirstBar(const QPoint& globalPos)
{
    const QPoint onTree = tvwExplorer->mapFromGlobal(globalPos);
    const QPoint onList = lvwExplorer->mapFromGlobal(globalPos);
    if (tvwExplorer->rect().contains(onTree))
        m_treeWidth = onTree.x();
    else if (lvwExplorer->rect().contains(onList))
        m_treeWidth += onList.x();
    LayoutWindow();
}

void frmExplorer::DropSecondBar(const QPoint& globalPos)
{
    const QPoint onList = lvwExplorer->mapFromGlobal(globalPos);
    const QPoint onPane = picPreview->mapFromGlobal(globalPos);
    if (lvwExplorer->rect().contains(onList))
        m_previewWidth += lvwExplorer->width() - onList.x();
    else if (picPreview->rect().contains(onPane))
        m_previewWidth -= onPane.x();
    LayoutWindow();
}

void frmExplorer::closeEvent(QCloseEvent* event)
{
    // Closing under a running operation would delete the window it runs in.
    if (m_operations > 0) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    event->accept();
}

// --- the frame of the operations

void frmExplorer::EnableControls(bool enabled)
{
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        // The log window and the menu are windows of their own.
        if (control != picTransfer && !control->isWindow())
            control->setEnabled(enabled);
    }
}

void frmExplorer::Operation(const std::function<void()>& body)
{
    RunGuarded([&] {
        OperationFrame frame(*this);
        body();
        // Downloads, deletions and the editors change the mirror copies.
        PreviewSelected();
    }, vbOKOnly);
}
