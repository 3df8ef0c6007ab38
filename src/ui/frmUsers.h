#pragma once

#include <QByteArray>
#include <QWidget>

#include <optional>

class ImageList;
class Inet;
class ListItem;
class ListView;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

#include "users/UserAdmin.h"

#include <optional>

// User administration: the members of the user file, changed one by one in
// a local working copy that goes back to the site when the window closes.
class frmUsers : public QWidget
{
    Q_OBJECT
public:
    // Opens the window, or brings the open one to the front: two would share
    // one working copy.
    static frmUsers* ShowUsers();

    explicit frmUsers(QWidget* parent = nullptr);
    ~frmUsers() override;

    ListView* lvwFileList;
    ImageList* imglstUsers;
    QPushButton* cmdNewUser;
    QPushButton* cmdClose;
    QGroupBox* fraUserInfo;
    QLabel* lblUserName;
    QLineEdit* txtUserName;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QRadioButton* optLockedOut;
    QRadioButton* optReadOnly;
    QRadioButton* optFullAccess;
    QRadioButton* optAdmin;
    QPushButton* cmdApplyToUser;
    QPushButton* cmdWebAccess;
    Inet* inet;

    // Sends this administrator's changes to the site, which keeps its
    // previous user file as a backup. True when the site's file holds them
    // (sent now, or nothing to send).
    bool UpdateServer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void FillUserList();
    void lvwFileList_ItemClick(ListItem* item);
    void lvwFileList_SelectionChanged();
    void cmdNewUser_Click();
    void cmdApplyToUser_Click();
    void cmdWebAccess_Click();
    void txtUserName_Change();

    // The boxes as a member being added starts out.
    void ShowNewUser();
    void ShowRecord(const UserRecord& record);
    // Enables what the administrator may change and shows the frame.
    void ShowUserInfo(const UserAdmin::Enabling& enabling);
    void SelectLevel(unsigned char level);
    UserAdmin::Level SelectedLevel() const;
    UserAdmin::MemberBoxes Boxes() const;
    // Before the boxes show another member: unapplied changes are applied,
    // discarded or kept as the administrator answers. False to stay.
    bool LeaveChosen();
    // Writes the boxes into the entry's record; false when they are refused.
    bool ApplyChanges(ListItem* entry);
    void DeleteWorkingCopy();
    static std::optional<bool> AskWhoseChangeStays(const QString& nickname);

    QString m_workingCopy; // "_files.dat" in the local folder, by its full path
    // The site's user file as it arrived when the window opened (none when
    // it did not), or as the last upload found it.
    std::optional<QByteArray> m_downloaded;
    bool m_filtering = false;
    bool m_updating = false;
    bool m_returning = false; // the selection goes back to m_chosen
    ListItem* m_chosen = nullptr; // the entry the boxes show
    std::optional<UserRecord> m_chosenRecord; // its record as stored; none for a member being added
};
