// User administration end to end: the real window against the local site
// server, with user files built byte by byte.

#include "ModalDriver.h"
#include "SiteTestCase.h"

#include "app/GlobalState.h"
#include "ui/Resources.h"
#include "ui/filelist/frmFileList.h"
#include "ui/frmEdit.h"
#include "ui/frmLogin.h"
#include "ui/frmMainMenu.h"
#include "ui/frmUsers.h"
#include "ui/widgets/CaptionButton.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/TextBox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>

using namespace modSkiff;

namespace {

const QString kSiteUsers = QStringLiteral("qxg/_files.dat");
const QString kQuestion = QStringLiteral("Update Server with Changes?");
// The commands of a session that could change something.
const QRegularExpression kSession(QStringLiteral("^(USER|MKD|DELE|RNFR|STOR) "));
const QByteArray kOrrin = StoredUserRecord("Orrin", "lantern", 4);
const QByteArray kKestrel = StoredUserRecord("Kestrel", "osprey", 4);
const QByteArray kAnn = StoredUserRecord("Ann", "heron", 3);
const QByteArray kPip = StoredUserRecord("Pip", "pebble", 2);
const QByteArray kMordo = StoredUserRecord("Mordo", "cinder", 1);
const QByteArray kMembers = kOrrin + kKestrel + kAnn + kPip + kMordo;

// Clicks the entry at this position as the administrator would.
void ClickEntry(const frmUsers& users, int index)
{
    auto* view = qobject_cast<QAbstractItemView*>(
        users.lvwFileList->findChild<QStackedWidget*>()->currentWidget());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(index, 0)).center());
}

// Name, password, the options from "Locked Out" to "Administrator", apply:
// "x" usable, "-" not.
QString Usable(const frmUsers& users)
{
    QString marks;
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             users.txtUserName, users.txtPassword, users.optLockedOut, users.optReadOnly,
             users.optFullAccess, users.optAdmin, users.cmdApplyToUser})
        marks += control->isEnabled() ? QLatin1Char('x') : QLatin1Char('-');
    return marks;
}

QString Unapplied(const QString& member)
{
    return "The changes to " + member + " have not been applied.  Apply them now?\r\n\r\nYes "
           "applies them, No discards them, Cancel goes back to them.";
}

QList<frmUsers*> ShownUsersWindows()
{
    QList<frmUsers*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* users = qobject_cast<frmUsers*>(widget); users && users->isVisible())
            shown << users;
    }
    return shown;
}

} // namespace

class TestUsers : public SiteTestCase
{
    Q_OBJECT

    QPointer<frmUsers> m_users;

    frmUsers* openAs(const QString& nickname)
    {
        signIn(nickname, 4);
        m_users = new frmUsers;
        m_users->show();
        return m_users;
    }
    // Closes the window with these answers; true when it closed.
    bool closeWith(std::initializer_list<int> answers)
    {
        for (const int answer : answers)
            services().answer(answer);
        return m_users->close() && QTest::qWaitFor([this] { return m_users.isNull(); });
    }

private slots:
    void initTestCase()
    {
        InitResources();
        SiteTestCase::initTestCase();
    }
    void init()
    {
        SiteTestCase::init();
        site().writeSiteFile(kSiteUsers, kMembers);
    }
    void cleanup()
    {
        delete m_users;
        SiteTestCase::cleanup();
    }

    void otherAdministratorsWorkWithinTheirRights()
    {
        frmUsers* users = openAs(QStringLiteral("Kestrel"));
        QCOMPARE(users->txtPassword->echoMode(), QLineEdit::Password);
        QVERIFY(!users->fraUserInfo->isVisible());

        ClickEntry(*users, 0);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Orrin"));
        QVERIFY(users->optAdmin->isChecked());
        QCOMPARE(Usable(*users), QStringLiteral("-------"));

        ClickEntry(*users, 1);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Kestrel"));
        QCOMPARE(Usable(*users), QStringLiteral("-x----x"));
        users->txtPassword->setText(QStringLiteral("harrier"));
        users->cmdApplyToUser->click();
        QVERIFY(!users->fraUserInfo->isVisible());

        ClickEntry(*users, 2);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Ann"));
        QCOMPARE(Usable(*users), QStringLiteral("-xxxx-x"));
        QCOMPARE(env().readLocal("_files.dat"),
                 kOrrin + StoredUserRecord("Kestrel", "harrier", 4) + kAnn + kPip + kMordo);

        // The keyboard chooses too, so the boxes belong to the selected entry.
        QTest::keyClick(users->lvwFileList->findChild<QStackedWidget*>()->currentWidget(), Qt::Key_Down);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Pip"));

        // "Web Site Access" needs a nickname in the box.
        users->cmdNewUser->click();
        users->txtUserName->clear();
        users->cmdWebAccess->click();
        QVERIFY(!QFileInfo::exists(env().localPath("WebPage")));
        // The member's list opens in the editor, and the edit reaches the site
        // under the name the explorer reads (the lower-case one, here).
        site().writeSiteFile(QStringLiteral("qxg/pip.dat"), "index.html\r\n");
        const QByteArray list = "index.html\r\nnews/index.html";
        QString opened;
        WhenShown<frmEdit>([&](frmEdit* editor) {
            opened = editor->windowTitle() + QLatin1Char('|') + editor->txtEdit->text();
            editor->txtEdit->setText(QString::fromLatin1(list));
            editor->cmdSendToServer->click();
        });
        users->txtUserName->setText(QStringLiteral("Pip"));
        users->cmdWebAccess->click();
        QVERIFY(QFileInfo(env().localPath("WebPage/qxg")).isDir());
        QCOMPARE(opened, QStringLiteral("qxg/pip.dat|index.html\r\n"));
        QCOMPARE(site().readSiteFile(QStringLiteral("qxg/pip.dat")), list);
        site().clearLog();

        // The member being added, clicked again over a typed nickname: the
        // question, and No shows the new member's boxes again.
        services().expect(Unapplied("New User"), vbYesNoCancel | vbQuestion, vbNo);
        ClickEntry(*users, 5);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("NewUser"));
        QCOMPARE(users->lvwFileList->selectedItem()->text(), QStringLiteral("New User"));
        QCOMPARE(users->lvwFileList->selectedItem()->index(), 5);
        QVERIFY(users->optFullAccess->isChecked());
        QCOMPARE(Usable(*users), QStringLiteral("xxxxx-x"));

        // No: the applied changes go with the working copy.
        QVERIFY(closeWith({vbNo}));
        QCOMPARE(services().prompts(), (QStringList{Unapplied("New User"), kQuestion}));
        QVERIFY(!QFileInfo::exists(env().localPath("_files.dat")));
        QCOMPARE(site().readSiteFile(kSiteUsers), kMembers);
        QVERIFY(site().ftpCommands("STOR").isEmpty());
    }

    void aPrivilegedMemberChangesEverythingAndTheChangedMembersLogIn()
    {
        frmUsers* users = openAs(QStringLiteral("Orrin"));
        QCOMPARE(users->txtPassword->echoMode(), QLineEdit::Normal);
        QStringList entries;
        for (const ListItem* item : users->lvwFileList->items())
            entries << item->text() + QLatin1Char(' ') + item->smallIcon();
        QCOMPARE(entries, QStringList({"Orrin level4", "Kestrel level4", "Ann level3",
                                       "Pip level2", "Mordo level1"}));

        ClickEntry(*users, 3);
        QTRY_COMPARE(users->txtPassword->text(), QStringLiteral("pebble"));
        QCOMPARE(Usable(*users), QStringLiteral("xxxxxxx"));
        users->txtUserName->setText(QStringLiteral("Pippa"));
        users->optAdmin->click();
        users->cmdApplyToUser->click();
        QCOMPARE(users->lvwFileList->item(3)->text(), QStringLiteral("Pippa"));
        QCOMPARE(users->lvwFileList->item(3)->smallIcon(), QStringLiteral("level4"));

        ClickEntry(*users, 1);
        QTRY_VERIFY(users->optAdmin->isChecked());
        users->optFullAccess->click();
        users->cmdApplyToUser->click();

        // A new member, typed with a blank and an exclamation mark.
        users->cmdNewUser->click();
        QTest::keyClicks(users->txtUserName, QStringLiteral("Wren Finch!"));
        QCOMPARE(users->txtUserName->text(), QStringLiteral("WrenFinch"));
        QCOMPARE(users->txtUserName->cursorPosition(), 9);
        users->txtPassword->setText(QStringLiteral("Marsh Reed"));
        users->optReadOnly->click();
        users->cmdApplyToUser->click();
        const QByteArray expected = kOrrin + StoredUserRecord("Kestrel", "osprey", 3) + kAnn +
                                    StoredUserRecord("Pippa", "pebble", 4) + kMordo +
                                    StoredUserRecord("WrenFinch", "Marsh Reed", 2);

        // Cancel keeps the window and every applied change.
        QVERIFY(!closeWith({vbCancel}));
        QCOMPARE(env().readLocal("_files.dat"), expected);
        QVERIFY(closeWith({vbYes}));
        QCOMPARE(services().prompts(), QStringList({kQuestion, kQuestion}));
        QCOMPARE(services().last().style, vbYesNoCancel | vbQuestion);
        QCOMPARE(site().readSiteFile(kSiteUsers).toHex(' '), expected.toHex(' '));
        QCOMPARE(site().readSiteFile(kSiteUsers + ".backup"), kMembers);
        QVERIFY(!QFileInfo::exists(env().localPath("_files.dat")));
        // On a fresh connection, with full paths, under the change lock.
        const QStringList log = site().ftpLog();
        const QString lock = "/users/tarnwardens/qxg/_control.lock";
        QCOMPARE(log.filter(QRegularExpression("^(USER|MKD|RMD|DELE|RNFR|RNTO|STOR) ")),
                 QStringList({"USER pell", "USER pell", "MKD " + lock, "STOR " + lock + "/holder.txt"}) +
                     SiteServer::UploadCommands("/users/tarnwardens/qxg/_files.dat") +
                     QStringList({"DELE " + lock + "/holder.txt", "RMD " + lock}));

        for (const auto& [typed, password, stored, level] :
             {std::tuple("wrenfinch", "marsh reed", "WrenFinch", 2),
              std::tuple("PIPPA", "pebble", "Pippa", 4)}) {
            frmLogin login;
            login.txtUserName->setText(typed);
            login.txtPassword->setText(password);
            login.cmdOK->click();
            QCOMPARE(CurrentUser, QString(stored));
            QCOMPARE(int(CurrentLevel), level);
        }
    }

    // Choosing another member over changes not applied asks first: Cancel
    // stays with them, No drops them, Yes applies them (and a refused apply
    // stays too). Choosing over unchanged boxes asks nothing.
    void switchingMembersAsksAboutUnappliedChanges()
    {
        frmUsers* users = openAs(QStringLiteral("Orrin"));
        ClickEntry(*users, 2);
        QTRY_COMPARE(users->txtPassword->text(), QStringLiteral("heron"));

        users->optReadOnly->click();
        services().expect(Unapplied("Ann"), vbYesNoCancel | vbQuestion, vbCancel);
        ClickEntry(*users, 3);
        QTRY_COMPARE(users->lvwFileList->selectedItem()->text(), QStringLiteral("Ann"));
        QVERIFY(users->optReadOnly->isChecked());
        const auto* view = qobject_cast<QAbstractItemView*>(
            users->lvwFileList->findChild<QStackedWidget*>()->currentWidget());
        QCOMPARE(view->currentIndex().data().toString(), QStringLiteral("Ann")); // focus too

        services().expect(Unapplied("Ann"), vbYesNoCancel | vbQuestion, vbNo);
        ClickEntry(*users, 3);
        QTRY_COMPARE(users->txtPassword->text(), QStringLiteral("pebble"));
        QCOMPARE(env().readLocal("_files.dat"), kMembers);

        users->txtPassword->setText(QStringLiteral("gravel"));
        users->txtUserName->clear();
        services().expect(Unapplied("Pip"), vbYesNoCancel | vbQuestion, vbYes);
        services().expect(QStringLiteral("Please enter a user name."), vbExclamation);
        QTest::keyClick(users->lvwFileList->findChild<QStackedWidget*>()->currentWidget(), Qt::Key_Down);
        QTRY_COMPARE(users->lvwFileList->selectedItem()->text(), QStringLiteral("Pip"));
        QCOMPARE(users->txtPassword->text(), QStringLiteral("gravel"));

        users->txtUserName->setText(QStringLiteral("Pip"));
        services().expect(Unapplied("Pip"), vbYesNoCancel | vbQuestion, vbYes);
        ClickEntry(*users, 4);
        QTRY_COMPARE(users->txtPassword->text(), QStringLiteral("cinder"));
        QCOMPARE(env().readLocal("_files.dat"),
                 kOrrin + kKestrel + kAnn + StoredUserRecord("Pip", "gravel", 2) + kMordo);
        QVERIFY(closeWith({vbNo}));
    }

    void aRefusedUploadKeepsTheSitesFileAndTheChanges()
    {
        frmUsers* users = openAs(QStringLiteral("Orrin"));
        ClickEntry(*users, 4);
        QTRY_VERIFY(users->fraUserInfo->isVisible());
        users->optReadOnly->click();
        users->cmdApplyToUser->click();
        const QByteArray changed = kOrrin + kKestrel + kAnn + kPip + StoredUserRecord("Mordo", "cinder", 2);

        site().refuse(QStringLiteral("_files.dat"));
        QVERIFY(!closeWith({vbYes, vbOK}));
        QCOMPARE(services().shown.size(), 2);
        QVERIFY2(services().last().prompt.startsWith("_files.dat could not be sent to the server: "),
                 qPrintable(services().last().prompt));
        QCOMPARE(services().last().icon(), int(vbCritical));
        QVERIFY(users->isEnabled());
        QCOMPARE(site().readSiteFile(kSiteUsers), kMembers);
        QCOMPARE(env().readLocal("_files.dat"), changed);

        // Once the site takes it again, closing sends the kept changes.
        site().clearRefusals();
        QVERIFY(closeWith({vbYes}));
        QCOMPARE(site().readSiteFile(kSiteUsers), changed);
    }

    void aFailedDownloadLeavesTheListEmptyAndTheSiteAlone()
    {
        QFile::remove(site().sitePath(kSiteUsers));
        signIn("Orrin", 4);
        env().writeLocal("_files.dat", "left by an earlier session");
        services().answer(vbOK);
        m_users = new frmUsers;
        m_users->show();
        QVERIFY2(services().last().prompt.startsWith(
                     "The user file could not be downloaded: _files.dat is not on the server."),
                 qPrintable(services().last().prompt));
        QCOMPARE(m_users->lvwFileList->count(), 0);
        QVERIFY(!m_users->cmdNewUser->isEnabled());

        services().expect(kQuestion, vbYesNoCancel | vbQuestion, vbYes);
        services().expect("The user file was not downloaded when this window opened, so the "
                          "site's user file has been left as it is.",
                          vbExclamation);
        site().clearLog();
        QVERIFY(closeWith({}));
        QCOMPARE(site().ftpLog().filter(kSession), QStringList());
        QCOMPARE(env().readLocal("_files.dat"), "left by an earlier session");
    }

    // An error page served with status 200 is no member list: nobody is
    // shown, and Yes, the default answer, sends nothing over the real file.
    void anErrorPageWithStatus200LocksNobodyOut()
    {
        signIn("Orrin", 4);
        site().webServe("_files.dat", "<html><body>Service unavailable</body></html>");
        services().answer(vbOK);
        m_users = new frmUsers;
        m_users->show();
        QCOMPARE(services().last().prompt,
                 "The user file could not be downloaded: _files.dat came incomplete: the web "
                 "server sent 45 bytes, the file holds 300. Nothing was changed; try again "
                 "later.\r\n\r\nThe list stays empty, and the site's user file will not be "
                 "changed from this window.");
        QCOMPARE(m_users->lvwFileList->count(), 0);
        // Yes, then OK to "The user file was not downloaded ...".
        QVERIFY(closeWith({vbYes, vbOK}));
        QCOMPARE(site().readSiteFile(kSiteUsers), kMembers);
        QVERIFY(site().ftpCommands("STOR").isEmpty());
    }

    // Kestrel changed the file after this window opened: Orrin's changes go
    // onto Kestrel's file, and for the record both changed Orrin decides.
    void anotherAdministratorsChangesStay()
    {
        frmUsers* users = openAs(QStringLiteral("Orrin"));
        const QByteArray kestrels = kOrrin + kKestrel + StoredUserRecord("Ann", "egret", 3) +
                                    kPip + StoredUserRecord("Mordo", "cinder", 2);
        site().writeSiteFile(kSiteUsers, kestrels);
        for (const int entry : {2, 3}) {
            ClickEntry(*users, entry);
            QTRY_VERIFY(users->fraUserInfo->isVisible());
            users->txtPassword->setText(QStringLiteral("changed"));
            users->cmdApplyToUser->click();
        }
        services().expect(kQuestion, vbYesNoCancel | vbQuestion, vbYes);
        services().expect("Another administrator has changed Ann since this window opened.\r\n\r\n"
                          "Yes: your change to Ann replaces theirs. No: theirs stays. Cancel: "
                          "nothing is sent now.",
                          vbYesNoCancel | vbQuestion, vbNo);
        QVERIFY(closeWith({}));
        QCOMPARE(site().readSiteFile(kSiteUsers).toHex(' '),
                 (kOrrin + kKestrel + StoredUserRecord("Ann", "egret", 3) +
                  StoredUserRecord("Pip", "changed", 2) + StoredUserRecord("Mordo", "cinder", 2))
                     .toHex(' '));
        QCOMPARE(site().readSiteFile(kSiteUsers + ".backup"), kestrels);
    }

    void opensOnceFromBothPlaces()
    {
        signIn("Kestrel", 4);
        frmMainMenu menu;
        menu.cmdUsers->click();
        QCOMPARE(ShownUsersWindows().size(), 1);
        m_users = ShownUsersWindows().first();
        auto files = std::make_unique<frmFileList>();
        files->mnuFileUsers->trigger();
        QCOMPARE(ShownUsersWindows(), QList<frmUsers*>{m_users.data()});
        QVERIFY(closeWith({vbNo}));

        files->mnuFileUsers->trigger();
        QCOMPARE(ShownUsersWindows().size(), 1);
        m_users = ShownUsersWindows().first();
        QVERIFY(closeWith({vbNo}));
    }
};

QTEST_MAIN(TestUsers)
#include "tst_users.moc"
