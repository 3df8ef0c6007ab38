#include "frmFileList.h"

#include "FileListColumns.h"
#include "SplitterBar.h"
#include "frmCheckedOutFiles.h"
#include "frmOptions.h"
#include "frmOutdatedFiles.h"

#include "ui/WindowPlacement.h"
#include "ui/frmSetLocalDir.h"
#include "ui/frmUsers.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/TransferProgress.h"

#include "app/MemberLevel.h"
#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/SiteText.h"
#include "app/modSkiff.h"
#include "store/SafeName.h"
#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "transport/SiteAccount.h"
#include "transport/SiteConfig.h"
#include "transport/TransferLog.h"
#include "transport/TransferStatus.h"
#include "transport/Wait.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolButton>

using namespace modSkiff;

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kIcons = QStringLiteral("Icons");
constexpr int kCommandHeight = 26;
constexpr int kResultsHeight = 84;
constexpr int kGap = 3;

} // namespace

frmFileList::frmFileList(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmFileList"));
    setWindowTitle(QStringLiteral("Skiff - Tarn Wardens Longhall"));
    setAttribute(Qt::WA_DeleteOnClose);

    imglstFileList = NewFileListImages(this);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    buildToolbar();
    picToolBar->setParent(client);

    lvwFileList = new ListView(client);
    lvwFileList->setObjectName(QStringLiteral("lvwFileList"));

    picResize1 = new SplitterBar(client);
    picResize1->setObjectName(QStringLiteral("picResize1"));

    picPreview = new QLabel(client);
    picPreview->setObjectName(QStringLiteral("picPreview"));
    picPreview->setAlignment(Qt::AlignCenter);
    picPreview->setFrameShape(QFrame::StyledPanel);
    picPreview->setBackgroundRole(QPalette::Base);
    picPreview->setAutoFillBackground(true);
    txtPreview = new QPlainTextEdit(picPreview);
    txtPreview->setObjectName(QStringLiteral("txtPreview"));
    txtPreview->setReadOnly(true);

    txtCommands = new QLineEdit(client);
    txtCommands->setObjectName(QStringLiteral("txtCommands"));
    txtCommands->setPlaceholderText(QStringLiteral("FTP command"));
    txtResults = new QPlainTextEdit(client);
    txtResults->setObjectName(QStringLiteral("txtResults"));
    txtResults->setReadOnly(true);

    inet = new Inet(this);
    inet->setObjectName(QStringLiteral("inet"));
    picTransfer = new TransferProgress(this);
    statusBar()->addPermanentWidget(picTransfer, 1);
    picTransfer->Watch(*inet);
    // The control file and the change lock's files are the list of shared
    // files to the member ("_files.txt", "qxg/_control.lock/holder.txt").
    picTransfer->ShowNamesAs([](const QString& name) {
        return name.section(QLatin1Char('/'), -1).startsWith(QLatin1Char('_')) ||
                       name.contains(QStringLiteral("/_control."))
                   ? QStringLiteral("the list of shared files")
                   : name;
    });
    transferLog = new TransferLog(this);
    inet->Log = transferLog;
    connect(transferLog, &TransferLog::Added, this, &frmFileList::AppendLogLine);

    buildMenus();

    m_link = std::make_unique<InetLink>(*inet);
    m_rows = std::make_unique<FileListRows>(*lvwFileList, *transferLog);
    lblOperation = new QLabel(this);
    lblOperation->setObjectName(QStringLiteral("lblOperation"));
    prgOperation = new QProgressBar(this);
    prgOperation->setObjectName(QStringLiteral("prgOperation"));
    prgOperation->setMaximumWidth(160);
    statusBar()->addWidget(lblOperation);
    statusBar()->addWidget(prgOperation);
    m_rows->ShowStepsIn(*lblOperation, *prgOperation);
    m_rows->EndSteps();
    m_files = std::make_unique<SharedFiles>(*m_link, m_rows.get());
    connect(picTransfer, &TransferProgress::CancelRequested, this, [this] { m_files->RequestStop(); });

    // Every entry point runs guarded; the owner's actions answer their
    // errors without an icon.
    auto entry = [this](void (frmFileList::*procedure)(), int style = vbCritical) {
        return Guarded([this, procedure] { (this->*procedure)(); }, style);
    };
    auto refresh = Guarded([this] { UpdateFileList(); });
    connect(inet, &Inet::StateChanged, this, &frmFileList::inet_StateChanged);
    connect(lvwFileList, &ListView::itemClick, this,
            [this](ListItem* item) { RunGuarded([&] { lvwFileList_ItemClick(item); }); });
    connect(lvwFileList, &ListView::mouseUp, this,
            [this](Qt::MouseButton button, const QPoint& at) {
                RunGuarded([&] { lvwFileList_MouseUp(button, at); }, vbOKOnly);
            });
    connect(lvwFileList, &ListView::columnClick, this,
            [this](int column) { RunGuarded([&] { SortListByColumn(*lvwFileList, column); }); });
    connect(picResize1, &SplitterBar::dropped, this,
            [this](const QPoint& at) { RunGuarded([&] { picResize1_Dropped(at); }); });
    connect(txtCommands, &QLineEdit::returnPressed, this, entry(&frmFileList::txtCommands_Return));

    connect(cmdRefresh, &QToolButton::clicked, this, refresh);
    connect(mnuFileRefresh, &QAction::triggered, this, refresh);
    connect(cmdSetLocalFolder, &QToolButton::clicked, this, entry(&frmFileList::ChangeLocalFolder));
    connect(mnuFileSetLocalFolder, &QAction::triggered, this,
            entry(&frmFileList::ChangeLocalFolder));
    connect(cmdExplorer, &QToolButton::clicked, this, entry(&frmFileList::Explore));
    connect(mnuFileExplore, &QAction::triggered, this, entry(&frmFileList::Explore));
    connect(mnuFileUsers, &QAction::triggered, this, Guarded([] { frmUsers::ShowUsers(); }));
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuEditSelectAll, &QAction::triggered, this, entry(&frmFileList::SelectAll));
    connect(mnuEditSelectNone, &QAction::triggered, this, entry(&frmFileList::SelectNone));
    connect(mnuViewToolbar, &QAction::triggered, this, entry(&frmFileList::mnuViewToolbar_Click));
    connect(cmdOptions, &QToolButton::clicked, this,
            Guarded([this] { frmOptions::ShowFor(*this, false); }));
    connect(mnuViewOptions, &QAction::triggered, this,
            Guarded([this] { frmOptions::ShowFor(*this, true); }));
    connect(mnuFileShowCheckedOutFiles, &QAction::triggered, this,
            Guarded([this] { frmCheckedOutFiles::ShowFor(*this); }));
    connect(mnuFileShowOutOfDate, &QAction::triggered, this,
            Guarded([this] { frmOutdatedFiles::ShowFor(*this); }));
    connect(cmdAddFile, &QToolButton::clicked, this, entry(&frmFileList::AddFiles));
    connect(mnuFileAddFiles, &QAction::triggered, this, entry(&frmFileList::AddFiles));
    connect(mnuActions, &QMenu::aboutToShow, this,
            entry(&frmFileList::EnableOwnerOptions, vbOKOnly));
    connect(mnuActionsOpenFile, &QAction::triggered, this, entry(&frmFileList::OpenFile));
    connect(mnuActionsReadOnly, &QAction::triggered, this, entry(&frmFileList::ToggleReadOnly));
    connect(mnuActionsChangeFileDescription, &QAction::triggered, this,
            entry(&frmFileList::ChangeFileDescription, vbOKOnly));
    connect(mnuActionsDeleteFile, &QAction::triggered, this,
            entry(&frmFileList::DeleteFile, vbOKOnly));
    connect(mnuActionsRelinquishControl, &QAction::triggered, this,
            entry(&frmFileList::RelinquishControl, vbOKOnly));
    connect(mnuActionsEditFileDetails, &QAction::triggered, this,
            entry(&frmFileList::EditFileDetails));
    connect(lvwFileList, &ListView::dblClick, this, entry(&frmFileList::OpenFile));
    connect(lvwFileList, &ListView::keyPress, this, [this](int key) {
        if (key == Qt::Key_Return) // Enter on the keypad comes as Return too
            RunGuarded([this] { OpenFile(); });
    });
    connect(cmdCheckOut, &QToolButton::clicked, this, entry(&frmFileList::CheckOut));
    connect(mnuActionsCheckOut, &QAction::triggered, this, entry(&frmFileList::CheckOut));
    connect(cmdCheckIn, &QToolButton::clicked, this, entry(&frmFileList::CheckIn));
    connect(mnuActionsCheckIn, &QAction::triggered, this, entry(&frmFileList::CheckIn));
    connect(cmdGetLatestVersion, &QToolButton::clicked, this,
            entry(&frmFileList::GetLatestVersion));
    connect(mnuActionsGetLatestVersion, &QAction::triggered, this,
            entry(&frmFileList::GetLatestVersion));

    resize(1000, 620);
    CenterOnScreen(this);
    Form_Load();
}

frmFileList::~frmFileList() = default;

void frmFileList::buildToolbar()
{
    picToolBar = new QWidget(this);
    picToolBar->setObjectName(QStringLiteral("picToolBar"));
    auto* layout = new QHBoxLayout(picToolBar);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    auto add = [&](QToolButton*& button, const char* name, const QString& caption,
                   const QString& picture) {
        button = new QToolButton(picToolBar);
        button->setObjectName(QLatin1String(name));
        button->setText(caption);
        button->setIcon(imglstFileList->icon(picture));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setMinimumWidth(76);
        layout->addWidget(button);
    };
    add(cmdExplorer, "cmdExplorer", QStringLiteral("Explorer"), QStringLiteral("options"));
    add(cmdOptions, "cmdOptions", QStringLiteral("Options"), QStringLiteral("options"));
    add(cmdRefresh, "cmdRefresh", QStringLiteral("Refresh"), QStringLiteral("refresh"));
    add(cmdSetLocalFolder, "cmdSetLocalFolder", QStringLiteral("Set Local Folder"),
        QStringLiteral("folder"));
    add(cmdAddFile, "cmdAddFile", QStringLiteral("Add File(s)"), QStringLiteral("add"));
    add(cmdCheckOut, "cmdCheckOut", QStringLiteral("Check Out"), QStringLiteral("open"));
    add(cmdCheckIn, "cmdCheckIn", QStringLiteral("Check In"), QStringLiteral("unlocked"));
    add(cmdGetLatestVersion, "cmdGetLatestVersion", QStringLiteral("Get Latest Version"),
        QStringLiteral("old"));
    layout->addStretch();
}

void frmFileList::buildMenus()
{
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    auto item = [](QMenu* m, const char* name, const QString& caption) {
        QAction* action = m->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    auto separator = [](QMenu* m, const char* name) {
        m->addSeparator()->setObjectName(QLatin1String(name));
    };

    mnuFile = menu("mnuFile", QStringLiteral("&File"));
    mnuFileRefresh = item(mnuFile, "mnuFileRefresh", QStringLiteral("&Refresh File List"));
    mnuFileAddFiles = item(mnuFile, "mnuFileAddFiles", QStringLiteral("&Add Files..."));
    mnuFileShowCheckedOutFiles =
        item(mnuFile, "mnuFileShowCheckedOutFiles", QStringLiteral("Show &Checked Out Files..."));
    mnuFileShowOutOfDate =
        item(mnuFile, "mnuFileShowOutOfDate", QStringLiteral("&Show Out-of-date Files..."));
    separator(mnuFile, "mnuFileBreak1");
    mnuFileSetLocalFolder =
        item(mnuFile, "mnuFileSetLocalFolder", QStringLiteral("Set &Local Folder..."));
    mnuFileExplore = item(mnuFile, "mnuFileExplore", QStringLiteral("&Explore..."));
    separator(mnuFile, "mnuFileBreak2");
    mnuFileUsers = item(mnuFile, "mnuFileUsers", QStringLiteral("Edit &Users"));
    separator(mnuFile, "mnuFileBreak3");
    mnuFileExit = item(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));

    mnuEdit = menu("mnuEdit", QStringLiteral("&Edit"));
    mnuEditSelectAll = item(mnuEdit, "mnuEditSelectAll", QStringLiteral("Select &All"));
    mnuEditSelectNone = item(mnuEdit, "mnuEditSelectNone", QStringLiteral("Select &None"));

    mnuView = menu("mnuView", QStringLiteral("&View"));
    mnuViewToolbar = item(mnuView, "mnuViewToolbar", QStringLiteral("&Toolbar"));
    mnuViewToolbar->setCheckable(true);
    mnuViewOptions = item(mnuView, "mnuViewOptions", QStringLiteral("&Options..."));

    mnuActions = menu("mnuActions", QStringLiteral("&Actions"));
    mnuActionsOpenFile = item(mnuActions, "mnuActionsOpenFile", QStringLiteral("Open &File"));
    mnuActionsReadOnly = item(mnuActions, "mnuActionsReadOnly",
                              QStringLiteral("R&ead Only (Local File Attributes)"));
    mnuActionsReadOnly->setCheckable(true);
    separator(mnuActions, "mnuActionsBreak2");
    mnuActionsGetLatestVersion =
        item(mnuActions, "mnuActionsGetLatestVersion", QStringLiteral("&Get Latest Version"));
    mnuActionsCheckIn = item(mnuActions, "mnuActionsCheckIn", QStringLiteral("Check &In..."));
    mnuActionsCheckOut = item(mnuActions, "mnuActionsCheckOut", QStringLiteral("Check &Out"));
    separator(mnuActions, "mnuActionsOwnerOptionsBreak");
    mnuActionsChangeFileDescription = item(mnuActions, "mnuActionsChangeFileDescription",
                                           QStringLiteral("&Change File Description..."));
    mnuActionsDeleteFile =
        item(mnuActions, "mnuActionsDeleteFile", QStringLiteral("&Remove File from Skiff"));
    mnuActionsRelinquishControl = item(mnuActions, "mnuActionsRelinquishControl",
                                       QStringLiteral("Relinquish Ownership of File"));
    separator(mnuActions, "mnuActionsAdminOptionsBreak");
    mnuActionsEditFileDetails = item(mnuActions, "mnuActionsEditFileDetails",
                                     QStringLiteral("Manually Edit File Details..."));
    mnuActions->setDefaultAction(mnuActionsOpenFile);
}

void frmFileList::Form_Load()
{
    UseSiteAccount(*inet);
    inet->Document = SiteConfig::SiteFolder();
    inet->Protocol = icFTP;

    mnuFileUsers->setEnabled(MemberLevel::IsAdministrator());
    mnuActionsEditFileDetails->setEnabled(MemberLevel::IsAdministrator());

    const bool toolbar = Val(GetSetting(kSettings, QStringLiteral("ViewToolbar"), "-1")) != 0;
    picToolBar->setVisible(toolbar);
    mnuViewToolbar->setChecked(toolbar);

    lvwFileList->setImageList(imglstFileList);
    FileListColumns::AddColumns(*lvwFileList);
    lvwFileList->setView(int(Val(GetSetting(kIcons, QStringLiteral("/CurrentView"), "3"))));
    LayoutWindow();
}

void frmFileList::LayoutWindow()
{
    QWidget* client = centralWidget();
    const int width = client->width();
    const int height = client->height();
    int top = 0;
    if (!picToolBar->isHidden()) {
        const int toolbarHeight = picToolBar->sizeHint().height();
        picToolBar->setGeometry(0, 0, width, toolbarHeight);
        top = toolbarHeight;
    }
    const int bottom = qMax(top + 40, height - kCommandHeight - kResultsHeight - 2 * kGap);
    const int paneHeight = bottom - top;
    if (SettingIsYes(kSettings, QStringLiteral("ShowPreviewPane"), QStringLiteral("Yes"))) {
        const int bar = 6;
        // The member's width is kept; only what fits is shown.
        const int pane = qBound(40, m_previewWidth, qMax(40, width - 120));
        picPreview->setGeometry(width - pane, top, pane, paneHeight);
        picResize1->setGeometry(width - pane - bar, top, bar, paneHeight);
        lvwFileList->setGeometry(0, top, width - pane - bar, paneHeight);
        txtPreview->setGeometry(0, 0, pane, paneHeight);
        picPreview->show();
        picResize1->show();
    } else {
        picPreview->hide();
        picResize1->hide();
        lvwFileList->setGeometry(0, top, width, paneHeight);
    }
    txtCommands->setGeometry(0, bottom + kGap, width, kCommandHeight);
    txtResults->setGeometry(0, bottom + 2 * kGap + kCommandHeight, width, kResultsHeight);
}

void frmFileList::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    LayoutWindow();
}

bool frmFileList::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        LayoutWindow();
    return QMainWindow::event(event);
}

void frmFileList::mnuViewToolbar_Click()
{
    const bool show = picToolBar->isHidden();
    picToolBar->setVisible(show);
    SaveSetting(kSettings, QStringLiteral("ViewToolbar"), show ? "-1" : "0");
    mnuViewToolbar->setChecked(show);
    LayoutWindow();
}

void frmFileList::picResize1_Dropped(const QPoint& globalPos)
{
    const QPoint inList = lvwFileList->mapFromGlobal(globalPos);
    const QPoint inPane = picPreview->mapFromGlobal(globalPos);
    const bool onList = lvwFileList->rect().contains(inList);
    const bool onPane = picPreview->isVisible() && picPreview->rect().contains(inPane);
    if (!onList && !onPane)
        return;
    // The bar's centre comes to rest where it was dropped.
    m_previewWidth =
        picPreview->width() + lvwFileList->width() - (inList.x() - picResize1->width() / 2);
    LayoutWindow();
}

void frmFileList::inet_StateChanged(int state)
{
    try {
        QTextCursor cursor = txtResults->textCursor();
        cursor.movePosition(QTextCursor::End);
        txtResults->setTextCursor(cursor);
        const QString caption = TransferStatus::Caption(state);
        if (!caption.isEmpty())
            setWindowTitle(caption);
        if (state == icResponseCompleted) {
            GetChunkData.clear();
            QString reply;
            for (QString chunk = inet->GetChunkText(1024); !chunk.isEmpty();
                 chunk = inet->GetChunkText(1024)) {
                GetChunkData += chunk;
                reply += chunk;
            }
            // The log shows replies line by line (CR LF would read as two
            // breaks), and whatever the server echoes, never a password.
            txtResults->insertPlainText(
                TransferLog::WithoutPasswords(reply.replace(QLatin1String("\r\n"), QLatin1String("\n"))) +
                QStringLiteral("\n"));
        }
    } catch (const SkiffError& error) {
        ShowCommunicationsError(error, QStringLiteral("You may need to restart Skiff."));
    }
}

void frmFileList::AppendLogLine(const QString& line)
{
    QTextCursor cursor = txtResults->textCursor();
    cursor.movePosition(QTextCursor::End);
    // A line of its own, whatever the server's reply before it ended with.
    if (!cursor.block().text().isEmpty())
        cursor.insertText(QStringLiteral("\n"));
    cursor.insertText(line + QStringLiteral("\n"));
    txtResults->setTextCursor(cursor);
}

void frmFileList::txtCommands_Return()
{
    // Blanks are no command at all.
    if (txtCommands->text().trimmed().isEmpty())
        return;
    inet->Execute(txtCommands->text());
    txtCommands->selectAll();
}

QString frmFileList::GetIcon(bool useStateIcon, const QString& state, const QString& fileName) const
{
    if (useStateIcon)
        return state;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return state;
    const QString key = imglstFileList->findKey(fileName.mid(dot), Qt::CaseInsensitive);
    return key.isEmpty() ? state : key;
}

void frmFileList::SaveIcons()
{
    if (lvwFileList->view() != ListView::lvwSmallIcon)
        return;
    for (ListItem* item : lvwFileList->items()) {
        const QPoint position = lvwFileList->itemPosition(item);
        SaveSetting(kIcons, item->text().toLower(),
                    QString::number(position.x()) + QLatin1Char(',') +
                        QString::number(position.y()));
    }
}

void frmFileList::LoadIcons()
{
    if (lvwFileList->view() != ListView::lvwSmallIcon)
        return;
    for (ListItem* item : lvwFileList->items()) {
        const QString position = GetSetting(kIcons, item->text().toLower(), QString());
        const qsizetype comma = position.indexOf(QLatin1Char(','));
        if (comma < 0)
            continue;
        lvwFileList->setItemPosition(
            item, QPoint(int(Val(position.left(comma))), int(Val(position.mid(comma + 1)))));
    }
}

void frmFileList::lvwFileList_ItemClick(ListItem* item)
{
    if (!item || !SettingIsYes(kSettings, QStringLiteral("ShowPreviewPane"), QStringLiteral("Yes")))
        return;
    ShowPreview(item->text());
}

void frmFileList::ShowPreview(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = (dot < 0 ? fileName : fileName.mid(dot + 1)).toLower();
    const QString missing = fileName + QStringLiteral(" does not exist on the local hard drive!");
    picPreview->setPixmap(QPixmap());
    // The name comes from the control file: one that is not a file of the
    // local folder is never opened, whatever its extension.
    if (!SafeName::IsSafeLocalName(fileName)) {
        txtPreview->show();
        txtPreview->setPlainText(SafeName::RefusalMessage(fileName));
        return;
    }
    if (extension == QLatin1String("gif") && QFile::exists(fileName)) {
        QPixmap picture(fileName);
        const QSize room = picPreview->contentsRect().size();
        if (picture.width() > room.width() || picture.height() > room.height())
            picture = picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picPreview->setPixmap(picture);
        txtPreview->hide();
        return;
    }
    txtPreview->show();
    if (extension == QLatin1String("gif")) {
        txtPreview->setPlainText(missing);
    } else if (extension == QLatin1String("txt")) {
        QFile file(fileName);
        txtPreview->setPlainText(file.open(QIODevice::ReadOnly) ? SiteText::Decode(file.readAll())
                                                               : missing);
    } else {
        txtPreview->setPlainText(QStringLiteral("No Preview Availble: ") + fileName);
    }
}

void frmFileList::lvwFileList_MouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton)
        return;
    EnableOwnerOptions();
    mnuActions->popup(globalPos, mnuActionsOpenFile);
}

void frmFileList::ChangeLocalFolder()
{
    for (ListItem* item : lvwFileList->items()) {
        if (SharedFiles::HeldByMe(FileListColumns::ListedFileOf(*item).Record)) {
            MsgBox(QStringLiteral("You still have files checked out"), vbOKOnly);
            return;
        }
    }
    frmSetLocalDir chooser(this);
    m_localDirChooser = &chooser;
    chooser.exec();
}

void frmFileList::Explore() { ShellOpenFolderOrTell(LocalFolder); }

void frmFileList::SelectAll()
{
    for (ListItem* item : lvwFileList->items())
        item->setSelected(true);
}

void frmFileList::SelectNone()
{
    for (ListItem* item : lvwFileList->items())
        item->setSelected(false);
}

void frmFileList::closeEvent(QCloseEvent* event)
{
    if (LastCountOfCheckedOutFiles > 0 &&
        SettingIsYes(kSettings, QStringLiteral("ShowCheckedOutFilesOnExit"), QStringLiteral("Yes"))) {
        const int count = LastCountOfCheckedOutFiles;
        const int answer = MsgBox(
            QStringLiteral("You currently have ") + QString::number(count) +
                QStringLiteral(" file") + (count >= 2 ? QStringLiteral("s") : QString()) +
                QStringLiteral(" checked out.  Would you like to view the list of checked out "
                               "files?\r\n\r\n<Yes> - View Checked Out Files\r\n<No> - Exit Skiff"),
            vbYesNoCancel | vbQuestion);
        if (answer != vbNo) {
            event->ignore();
            if (answer == vbYes)
                frmCheckedOutFiles::ShowFor(*this);
            SetNormalPointer();
            return;
        }
    }
    {
        BusyPointer busy;
        SaveIcons();
        SaveSetting(kIcons, QStringLiteral("/CurrentView"), QString::number(lvwFileList->view()));
        Wait::QuitAtMost(*inet, 5000);
        if (m_localDirChooser)
            m_localDirChooser->reject();
        for (QWidget* window : {CheckInDialog.data(), AddFileWindow.data(), OptionsWindow.data(),
                                OutdatedFilesWindow.data()})
            if (window)
                window->close();
    }
    SetNormalPointer();
    event->accept();
}
