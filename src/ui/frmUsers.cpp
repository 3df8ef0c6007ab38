#include "frmUsers.h"

#include "WindowPlacement.h"
#include "frmEdit.h"
#include "OpenOnce.h"
#include "widgets/ImageList.h"
#include "widgets/ListView.h"

#include "app/Errors.h"
#include "app/Guard.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "transport/Inet.h"
#include "users/UserAdmin.h"
#include "users/UserFile.h"
#include "users/WebAccessList.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace modSkiff;
using UserAdmin::EnablingFor;

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

frmUsers* frmUsers::ShowUsers()
{
    static QPointer<QWidget> open;
    return OpenOnce<frmUsers>(open, [] { return new frmUsers; });
}

frmUsers::frmUsers(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmUsers"));
    setWindowTitle(QStringLiteral("Users"));
    setAttribute(Qt::WA_DeleteOnClose);

    imglstUsers = NewUserImages(this);
    lvwFileList = named(new ListView(this), "lvwFileList");
    lvwFileList->setImageList(imglstUsers);
    lvwFileList->setView(ListView::lvwList);
    lvwFileList->setMultiSelect(false);
    cmdNewUser = named(new QPushButton(QStringLiteral("New &User"), this), "cmdNewUser");
    cmdClose = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");

    fraUserInfo = named(new QGroupBox(QStringLiteral("User Information"), this), "fraUserInfo");
    txtUserName = named(new QLineEdit(fraUserInfo), "txtUserName");
    txtUserName->setMaxLength(UserRecord::NameLength);
    lblUserName = named(new QLabel(QStringLiteral("User Name:"), fraUserInfo), "lblUserName");
    lblUserName->setBuddy(txtUserName);
    txtPassword = named(new QLineEdit(fraUserInfo), "txtPassword");
    txtPassword->setMaxLength(UserRecord::PasswordLength);
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPassword = named(new QLabel(QStringLiteral("Password:"), fraUserInfo), "lblPassword");
    lblPassword->setBuddy(txtPassword);
    optLockedOut = named(new QRadioButton(QStringLiteral("Locked Out"), fraUserInfo), "optLockedOut");
    optReadOnly = named(new QRadioButton(QStringLiteral("Read Only"), fraUserInfo), "optReadOnly");
    optFullAccess =
        named(new QRadioButton(QStringLiteral("Full Access"), fraUserInfo), "optFullAccess");
    optAdmin = named(new QRadioButton(QStringLiteral("Administrator"), fraUserInfo), "optAdmin");
    cmdApplyToUser = named(new QPushButton(QStringLiteral("Apply Changes to User"), fraUserInfo),
                           "cmdApplyToUser");
    cmdWebAccess =
        named(new QPushButton(QStringLiteral("Web Site Access"), fraUserInfo), "cmdWebAccess");

    auto* boxes = new QGridLayout;
    boxes->addWidget(lblUserName, 0, 0);
    boxes->addWidget(txtUserName, 0, 1);
    boxes->addWidget(lblPassword, 1, 0);
    boxes->addWidget(txtPassword, 1, 1);
    auto* levels = new QVBoxLayout;
    levels->setContentsMargins(0, 6, 0, 6);
    for (QRadioButton* option : {optLockedOut, optReadOnly, optFullAccess, optAdmin})
        levels->addWidget(option);
    auto* frame = new QVBoxLayout(fraUserInfo);
    frame->addLayout(boxes);
    frame->addLayout(levels);
    frame->addStretch();
    frame->addWidget(cmdApplyToUser);
    frame->addWidget(cmdWebAccess);
    // The list keeps its width while no member is being edited.
    QSizePolicy framePolicy = fraUserInfo->sizePolicy();
    framePolicy.setRetainSizeWhenHidden(true);
    fraUserInfo->setSizePolicy(framePolicy);
    fraUserInfo->setFixedWidth(250);
    fraUserInfo->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdNewUser);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* left = new QVBoxLayout;
    left->addWidget(lvwFileList);
    left->addLayout(buttons);
    auto* window = new QHBoxLayout(this);
    window->addLayout(left, 1);
    window->addWidget(fraUserInfo);

    inet = named(new Inet(this), "inet");

    connect(lvwFileList, &ListView::itemClick, this, &frmUsers::lvwFileList_ItemClick);
    connect(lvwFileList, &ListView::selectionChanged, this,
            Guarded([this] { lvwFileList_SelectionChanged(); }));
    connect(cmdNewUser, &QPushButton::clicked, this, &frmUsers::cmdNewUser_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdApplyToUser, &QPushButton::clicked, this, &frmUsers::cmdApplyToUser_Click);
    connect(cmdWebAccess, &QPushButton::clicked, this, &frmUsers::cmdWebAccess_Click);
    connect(txtUserName, &QLineEdit::textChanged, this, Guarded([this] { txtUserName_Change(); }));

    setMinimumSize(440, 330);
    resize(520, 380);
    CenterOnScreen(this);
    Form_Load();
}

frmUsers::~frmUsers() = default;

void frmUsers::Form_Load()
{
    if (IsPrivilegedMember())
        txtPassword->setEchoMode(QLineEdit::Normal);
    // Held by its full path: the shared files window may change the working
    // directory while this window is open.
    m_workingCopy = QDir::current().absoluteFilePath(UserFile::kFileName);
    try {
        BusyPointer busy;
        m_downloaded = UserFile::Download(*inet, txtUserName->text(), txtPassword->text(),
                                          m_workingCopy);
    } catch (const SkiffError& error) {
        MsgBox(QStringLiteral("The user file could not be downloaded: ") + error.description() +
                   QStringLiteral("\r\n\r\nThe list stays empty, and the site's user file will "
                                  "not be changed from this window."),
               vbCritical);
    }
    // Without the site's members there is nothing to change, and a member
    // added now would go up as the whole user file.
    cmdNewUser->setEnabled(m_downloaded.has_value());
    if (m_downloaded)
        RunGuarded([this] { FillUserList(); });
}

void frmUsers::FillUserList()
{
    const QList<UserRecord> records = UserFile::ReadAll(m_workingCopy);
    m_chosen = nullptr;
    lvwFileList->beginUpdate();
    lvwFileList->clear();
    for (const UserRecord& record : records)
        lvwFileList->addItem(QString(), record.TrimmedName(),
                             UserAdmin::LevelIconKey(record.Level));
    lvwFileList->endUpdate();
}

void frmUsers::lvwFileList_ItemClick(ListItem* clicked)
{
    ListItem* selected = lvwFileList->selectedItem();
    // While the selection goes back to the member being edited, the click or
    // key that moved it has been answered already.
    if (!selected || m_returning || (clicked && clicked != selected))
        return;
    bool leave = false;
    RunGuarded([this, &leave] { leave = LeaveChosen(); });
    if (!leave) {
        // Once the list has finished with the click or key: changing the
        // selection while the view still moves it would be undone.
        m_returning = true;
        QTimer::singleShot(0, this, [this] {
            m_returning = false;
            if (m_chosen)
                m_chosen->setSelected(true);
        });
        return;
    }
    RunGuarded([this, selected] {
        m_chosen = selected;
        m_chosenRecord = UserFile::Read(m_workingCopy, UserAdmin::RecordNumber(selected->index()));
        // A member added but not applied yet has no record.
        if (m_chosenRecord)
            ShowRecord(*m_chosenRecord);
        else
            ShowNewUser();
    });
}

void frmUsers::lvwFileList_SelectionChanged()
{
    // Moving the selection with the keyboard chooses too, so that "Apply
    // Changes to User" never writes one member's boxes over another's record.
    ListItem* selected = lvwFileList->selectedItem();
    if (selected && selected != m_chosen)
        lvwFileList_ItemClick(nullptr);
}

bool frmUsers::LeaveChosen()
{
    if (!m_chosen || fraUserInfo->isHidden() ||
        !UserAdmin::HasUnappliedChanges(m_chosenRecord, Boxes()))
        return true;
    switch (MsgBox(QStringLiteral("The changes to ") + m_chosen->text() +
                       QStringLiteral(" have not been applied.  Apply them now?\r\n\r\nYes applies "
                                      "them, No discards them, Cancel goes back to them."),
                   vbYesNoCancel | vbQuestion)) {
    case vbYes: return ApplyChanges(m_chosen);
    case vbNo: fraUserInfo->hide(); return true;
    default: return false;
    }
}

UserAdmin::MemberBoxes frmUsers::Boxes() const
{
    return {txtUserName->text(), txtPassword->text(), SelectedLevel()};
}

void frmUsers::ShowRecord(const UserRecord& record)
{
    // A stored nickname is shown as it is: a member whose nickname another
    // tool gave other characters keeps it when only the password or level
    // changes. Typing in the box filters it.
    m_filtering = true;
    txtUserName->setText(record.TrimmedName());
    m_filtering = false;
    txtPassword->setText(record.TrimmedPassword());
    SelectLevel(record.Level);
    ShowUserInfo(EnablingFor(IsPrivilegedMember(), record, CurrentUser));
}

void frmUsers::ShowNewUser()
{
    txtUserName->setText(QStringLiteral("New User"));
    txtPassword->clear();
    optFullAccess->setChecked(true);
    ShowUserInfo(EnablingFor(IsPrivilegedMember(), std::nullopt, CurrentUser));
}

void frmUsers::ShowUserInfo(const UserAdmin::Enabling& enabling)
{
    txtUserName->setEnabled(enabling.userName);
    txtPassword->setEnabled(enabling.password);
    optLockedOut->setEnabled(enabling.lockedOut);
    optReadOnly->setEnabled(enabling.readOnly);
    optFullAccess->setEnabled(enabling.fullAccess);
    optAdmin->setEnabled(enabling.administrator);
    cmdApplyToUser->setEnabled(enabling.apply);
    fraUserInfo->show();
}

void frmUsers::SelectLevel(unsigned char level)
{
    switch (UserAdmin::ShownLevel(level)) {
    case UserAdmin::Administrator: optAdmin->setChecked(true); break;
    case UserAdmin::FullAccess: optFullAccess->setChecked(true); break;
    case UserAdmin::ReadOnly: optReadOnly->setChecked(true); break;
    case UserAdmin::LockedOut: optLockedOut->setChecked(true); break;
    }
}

UserAdmin::Level frmUsers::SelectedLevel() const
{
    if (optAdmin->isChecked())
        return UserAdmin::Administrator;
    if (optFullAccess->isChecked())
        return UserAdmin::FullAccess;
    if (optReadOnly->isChecked())
        return UserAdmin::ReadOnly;
    return UserAdmin::LockedOut;
}

void frmUsers::cmdNewUser_Click()
{
    RunGuarded([this] {
        if (!LeaveChosen())
            return;
        ListItem* item = lvwFileList->addItem(QString(), QStringLiteral("New User"),
                                              QStringLiteral("level3"));
        m_chosen = item;
        m_chosenRecord.reset();
        item->setSelected(true);
        item->ensureVisible();
        ShowNewUser();
        // Ready for the nickname to be typed over the placeholder.
        txtUserName->setFocus();
        txtUserName->selectAll();
    });
}

void frmUsers::cmdApplyToUser_Click()
{
    RunGuarded([this] {
        if (ListItem* selected = lvwFileList->selectedItem())
            ApplyChanges(selected);
    });
}

bool frmUsers::ApplyChanges(ListItem* entry)
{
    const UserAdmin::RecordToApply apply = UserAdmin::RecordFor(Boxes());
    if (!apply.record) {
        MsgBox(apply.refusal, vbExclamation);
        return false;
    }
    // The file first: a write that fails leaves the entry as the file has it.
    UserFile::Write(m_workingCopy, UserAdmin::RecordNumber(entry->index()), *apply.record);
    entry->setText(apply.record->TrimmedName());
    entry->setSmallIcon(UserAdmin::LevelIconKey(apply.record->Level));
    if (entry == m_chosen)
        m_chosenRecord = apply.record;
    fraUserInfo->hide();
    return true;
}

void frmUsers::cmdWebAccess_Click()
{
    RunGuarded([this] {
        if (txtUserName->text().isEmpty())
            return;
        const QString folder = QStringLiteral("WebPage/qxg");
        if (!QDir(LocalFolder).mkpath(folder))
            throw SkiffError(QStringLiteral("Cannot create the folder ") + LocalFolder + folder);
        // The list the explorer reads for the member, which on a host that
        // tells letter case apart may be the lower-case one.
        const QString list = WebAccessList::ReadPathOf(*inet, txtUserName->text());
        frmEdit::EditFile(list);
    });
}

void frmUsers::txtUserName_Change()
{
    if (m_filtering)
        return;
    m_filtering = true;
    UserAdmin::NicknameEdit typed{txtUserName->text(), txtUserName->cursorPosition(), 0};
    if (txtUserName->hasSelectedText()) {
        typed.caret = txtUserName->selectionStart();
        typed.selectionLength = txtUserName->selectionLength();
    }
    const UserAdmin::NicknameEdit kept = UserAdmin::FilterNickname(typed);
    if (kept.text != typed.text) {
        txtUserName->setText(kept.text);
        if (kept.selectionLength > 0)
            txtUserName->setSelection(kept.caret, kept.selectionLength);
        else
            txtUserName->setCursorPosition(kept.caret);
    }
    m_filtering = false;
}

bool frmUsers::UpdateServer()
{
    if (!m_downloaded) {
        MsgBox(QStringLiteral("The user file was not downloaded when this window opened, so the "
                              "site's user file has been left as it is."),
               vbExclamation);
        return false;
    }
    UserFile::Outcome outcome = UserFile::Outcome::Failed;
    QString failure;
    {
        BusyPointer busy;
        // The copy is being read for the upload; it must not change meanwhile.
        m_updating = true;
        setEnabled(false);
        try {
            modSkiff::SendFailure why;
            outcome = UserFile::Upload(*inet, m_workingCopy, *m_downloaded, AskWhoseChangeStays,
                                       &why);
            if (outcome == UserFile::Outcome::Failed)
                failure = UserFile::kFileName +
                          QStringLiteral(" could not be sent to the server: ") + why.why +
                          QStringLiteral("\r\n\r\nThe site keeps its previous user file. Your "
                                         "changes are kept: close the window again to send "
                                         "them once more.");
        } catch (const SkiffError& error) {
            failure = error.description();
        }
        setEnabled(true);
        m_updating = false;
    }
    if (!failure.isEmpty())
        MsgBox(failure, vbCritical);
    return outcome == UserFile::Outcome::NothingToSend || outcome == UserFile::Outcome::Sent;
}

std::optional<bool> frmUsers::AskWhoseChangeStays(const QString& nickname)
{
    const int answer =
        MsgBox(QStringLiteral("Another administrator has changed %1 since this window opened."
                              "\r\n\r\nYes: your change to %1 replaces theirs. No: theirs "
                              "stays. Cancel: nothing is sent now.")
                   .arg(nickname),
               vbYesNoCancel | vbQuestion);
    if (answer == vbCancel)
        return std::nullopt;
    return answer == vbYes;
}

void frmUsers::DeleteWorkingCopy()
{
    // A copy this window did not download is none of its business.
    if (m_downloaded)
        QFile::remove(m_workingCopy);
}

void frmUsers::closeEvent(QCloseEvent* event)
{
    if (m_updating) {
        event->ignore();
        return;
    }
    const int answer = MsgBox(QStringLiteral("Update Server with Changes?"), vbYesNoCancel | vbQuestion);
    if (answer == vbCancel) {
        event->ignore();
        return;
    }
    // A copy that did not reach the site stays, and so does the window, so
    // that nothing applied is lost.
    if (answer == vbYes && !UpdateServer() && m_downloaded && QFileInfo::exists(m_workingCopy)) {
        event->ignore();
        return;
    }
    DeleteWorkingCopy();
    event->accept();
}
