// User administration end to end: the real window against the local site
// server, with user files built byte by byte.

#include "ScriptedServices.h"
#include "SiteServer.h"
#include "StoredUsers.h"
#include "TestEnv.h"

#include "app/GlobalState.h"
#include "ui/Resources.h"
#include "ui/filelist/frmFileList.h"
#include "ui/frmLogin.h"
#include "ui/frmMainMenu.h"
#include "ui/frmUsers.h"
#include "ui/widgets/ListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
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

const QByteArray kOrrin = StoredUserRecord("Orrin", "lantern", 4);
const QByteArray kKestrel = StoredUserRecord("Kestrel", "osprey", 4);
const QByteArray kAnn = StoredUserRecord("Ann", "heron", 3);
const QByteArray kPip = StoredUserRecord("Pip", "pebble", 2);
const QByteArray kMordo = StoredUserRecord("Mordo", "cinder", 1);
const QByteArray kMembers = kOrrin + kKestrel + kAnn + kPip + kMordo;

QStringList EntryTexts(const frmUsers& users)
{
    QStringList texts;
    for (const ListItem* item : users.lvwFileList->items())
        texts << item->text();
    return texts;
}

QStringList EntryIcons(const frmUsers& users)
{
    QStringList icons;
    for (const ListItem* item : users.lvwFileList->items())
        icons << item->smallIcon();
    return icons;
}

QAbstractItemView* ShownView(const frmUsers& users)
{
    return qobject_cast<QAbstractItemView*>(
        users.lvwFileList->findChild<QStackedWidget*>()->currentWidget());
}

// Clicks the entry at this position as the administrator would.
void ClickEntry(const frmUsers& users, int index)
{
    QAbstractItemView* view = ShownView(users);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(index, 0)).center());
}

// Which of the member's controls can be used, in the order name, password,
// the four options from "Locked Out" to "Administrator", apply.
QString Usable(const frmUsers& users)
{
    QString marks;
    for (const QWidget* control :
         {static_cast<QWidget*>(users.txtUserName), static_cast<QWidget*>(users.txtPassword),
          static_cast<QWidget*>(users.optLockedOut), static_cast<QWidget*>(users.optReadOnly),
          static_cast<QWidget*>(users.optFullAccess), static_cast<QWidget*>(users.optAdmin),
          static_cast<QWidget*>(users.cmdApplyToUser)})
        marks += control->isEnabled() ? QLatin1Char('x') : QLatin1Char('-');
    return marks;
}

bool Sent(const SiteServer& site)
{
    for (const QString& line : site.ftpLog()) {
        if (line.startsWith(QStringLiteral("STOR")))
            return true;
    }
    return false;
}

} // namespace

class TestUsers : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;
    QPointer<frmUsers> m_users;

    frmUsers* open()
    {
        m_users = new frmUsers;
        m_users->show();
        if (!QTest::qWaitForWindowExposed(m_users))
            qWarning("the users window was not shown");
        return m_users;
    }

    // Closes the window with this answer to the question; true when it closed.
    bool closeWith(ScriptedServices& services, int answer)
    {
        services.answer(answer);
        m_users->close();
        return QTest::qWaitFor([this] { return m_users.isNull(); }, 2000);
    }

    static void attemptLogin(const QString& name, const QString& password)
    {
        frmLogin login;
        login.show();
        login.txtUserName->setText(name);
        login.txtPassword->setText(password);
        login.cmdOK->click();
    }

private slots:
    void initTestCase()
    {
        InitResources();
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void init()
    {
        m_site->writeSiteFile(kSiteUsers, kMembers);
        QFile::remove(m_site->sitePath(kSiteUsers + QStringLiteral(".backup")));
        m_site->clearRefusals();
        m_site->clearLog();
    }
    void cleanup() { delete m_users; }
    void cleanupTestCase() { delete m_site; }

    void opensWithTheSitesMembers_data()
    {
        QTest::addColumn<QString>("administrator");
        QTest::addColumn<int>("echoMode");
        QTest::newRow("privileged") << "Orrin" << int(QLineEdit::Normal);
        QTest::newRow("privileged, any letter case") << "TAVI" << int(QLineEdit::Normal);
        QTest::newRow("not privileged") << "Kestrel" << int(QLineEdit::Password);
    }
    void opensWithTheSitesMembers()
    {
        QFETCH(QString, administrator);
        QFETCH(int, echoMode);
        TestEnv env(administrator, 4);
        ScriptedServices services;
        frmUsers* users = open();
        QVERIFY2(services.shown.isEmpty(), qPrintable(services.prompts().join('\n')));

        QCOMPARE(users->windowTitle(), QStringLiteral("Users"));
        QCOMPARE(int(users->txtPassword->echoMode()), echoMode);
        QCOMPARE(EntryTexts(*users),
                 QStringList({"Orrin", "Kestrel", "Ann", "Pip", "Mordo"}));
        QCOMPARE(EntryIcons(*users),
                 QStringList({"level4", "level4", "level3", "level2", "level1"}));
        QVERIFY(!users->fraUserInfo->isVisible());
        QVERIFY(m_site->httpLog().contains(
            QStringLiteral("GET /tarnwardens/qxg/_files.dat?username=&password=")));
        QCOMPARE(env.readLocal("_files.dat"), kMembers);

        // Every control by its name, with its caption.
        const QList<QPair<const char*, QString>> captions = {
            {"cmdNewUser", "New &User"},
            {"cmdClose", "Close"},
            {"cmdApplyToUser", "Apply Changes to User"},
            {"cmdWebAccess", "Web Site Access"},
        };
        for (const auto& [name, caption] : captions)
            QCOMPARE(users->findChild<QPushButton*>(name)->text(), caption);
        const QList<QPair<const char*, QString>> options = {
            {"optLockedOut", "Locked Out"},
            {"optReadOnly", "Read Only"},
            {"optFullAccess", "Full Access"},
            {"optAdmin", "Administrator"},
        };
        for (const auto& [name, caption] : options)
            QCOMPARE(users->findChild<QRadioButton*>(name)->text(), caption);
        QCOMPARE(users->findChild<QGroupBox*>("fraUserInfo")->title(),
                 QStringLiteral("User Information"));
        QCOMPARE(users->lblUserName->text(), QStringLiteral("User Name:"));
        QCOMPARE(users->lblPassword->text(), QStringLiteral("Password:"));
        QVERIFY(users->findChild<ListView*>("lvwFileList"));
        QVERIFY(users->findChild<QLineEdit*>("txtUserName"));
        QVERIFY(users->findChild<QLineEdit*>("txtPassword"));
        QVERIFY(users->findChild<QObject*>("inet"));
        QVERIFY(users->findChild<QObject*>("imglstUsers"));

        QVERIFY(closeWith(services, vbNo));
        QVERIFY(!QFileInfo::exists(env.localPath("_files.dat")));
    }

    void otherAdministratorsWorkWithinTheirRights()
    {
        TestEnv env(QStringLiteral("Kestrel"), 4);
        ScriptedServices services;
        frmUsers* users = open();

        // Another administrator: nothing may change.
        ClickEntry(*users, 0);
        QTRY_VERIFY(users->fraUserInfo->isVisible());
        QCOMPARE(users->txtUserName->text(), QStringLiteral("Orrin"));
        QVERIFY(users->optAdmin->isChecked());
        QCOMPARE(Usable(*users), QStringLiteral("-------"));

        // Their own record: only the password.
        ClickEntry(*users, 1);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Kestrel"));
        QCOMPARE(users->txtPassword->text(), QStringLiteral("osprey"));
        QCOMPARE(Usable(*users), QStringLiteral("-x----x"));
        users->txtPassword->setText(QStringLiteral("harrier"));
        users->cmdApplyToUser->click();
        QVERIFY(!users->fraUserInfo->isVisible());
        QCOMPARE(env.readLocal("_files.dat"),
                 kOrrin + StoredUserRecord("Kestrel", "harrier", 4) + kAnn + kPip + kMordo);

        // A member below administrator: password and the three lower levels.
        ClickEntry(*users, 2);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Ann"));
        QVERIFY(users->optFullAccess->isChecked());
        QCOMPARE(Usable(*users), QStringLiteral("-xxxx-x"));
        users->optReadOnly->click();
        users->cmdApplyToUser->click();
        QCOMPARE(users->lvwFileList->item(2)->smallIcon(), QStringLiteral("level2"));
        QCOMPARE(env.readLocal("_files.dat").mid(120, 60), StoredUserRecord("Ann", "heron", 2));

        // The keyboard chooses as well, so the boxes always belong to the
        // selected entry.
        ClickEntry(*users, 2);
        QTest::keyClick(ShownView(*users), Qt::Key_Down);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Pip"));
        QVERIFY(users->optReadOnly->isChecked());

        // A new member: never an administrator either.
        users->cmdNewUser->click();
        QCOMPARE(EntryTexts(*users).last(), QStringLiteral("New User"));
        QCOMPARE(users->lvwFileList->selectedItem(), users->lvwFileList->item(5));
        QCOMPARE(users->txtUserName->text(), QStringLiteral("NewUser"));
        QVERIFY(users->txtPassword->text().isEmpty());
        QVERIFY(users->optFullAccess->isChecked());
        QCOMPARE(Usable(*users), QStringLiteral("xxxxx-x"));

        QVERIFY(closeWith(services, vbNo));
        QCOMPARE(m_site->readSiteFile(kSiteUsers), kMembers);
        QVERIFY(!Sent(*m_site));
    }

    void aPrivilegedMemberChangesEverythingAndTheNewMemberLogsIn()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        frmUsers* users = open();

        // Rename Pip and make him an administrator.
        ClickEntry(*users, 3);
        QTRY_COMPARE(users->txtPassword->text(), QStringLiteral("pebble"));
        QCOMPARE(Usable(*users), QStringLiteral("xxxxxxx"));
        users->txtUserName->selectAll();
        QTest::keyClicks(users->txtUserName, QStringLiteral("Pippa"));
        users->optAdmin->click();
        users->cmdApplyToUser->click();
        QCOMPARE(users->lvwFileList->item(3)->text(), QStringLiteral("Pippa"));
        QCOMPARE(users->lvwFileList->item(3)->smallIcon(), QStringLiteral("level4"));

        // Take "Administrator" from Kestrel.
        ClickEntry(*users, 1);
        QTRY_VERIFY(users->optAdmin->isChecked());
        QCOMPARE(Usable(*users), QStringLiteral("xxxxxxx"));
        users->optFullAccess->click();
        users->cmdApplyToUser->click();

        // A new member, typed with a blank and an exclamation mark.
        users->cmdNewUser->click();
        users->txtUserName->selectAll();
        QTest::keyClicks(users->txtUserName, QStringLiteral("Wren Finch!"));
        QCOMPARE(users->txtUserName->text(), QStringLiteral("WrenFinch"));
        users->txtPassword->setText(QStringLiteral("Marsh Reed"));
        users->optReadOnly->click();
        users->cmdApplyToUser->click();
        QCOMPARE(EntryTexts(*users).last(), QStringLiteral("WrenFinch"));

        const QByteArray expected = kOrrin + StoredUserRecord("Kestrel", "osprey", 3) + kAnn +
                                    StoredUserRecord("Pippa", "pebble", 4) + kMordo +
                                    StoredUserRecord("WrenFinch", "Marsh Reed", 2);
        QVERIFY(closeWith(services, vbYes));
        QCOMPARE(services.shown.size(), 1);
        QCOMPARE(services.last().buttons(), int(vbYesNoCancel));
        QCOMPARE(services.last().icon(), int(vbQuestion));
        QCOMPARE(m_site->readSiteFile(kSiteUsers).toHex(' '), expected.toHex(' '));
        QCOMPARE(m_site->readSiteFile(kSiteUsers + QStringLiteral(".backup")), kMembers);
        QVERIFY(!QFileInfo::exists(env.localPath("_files.dat")));
        // The changed members sign in with what the administrator gave them.
        attemptLogin(QStringLiteral("wrenfinch"), QStringLiteral("marsh reed"));
        QCOMPARE(CurrentUser, QStringLiteral("WrenFinch"));
        QCOMPARE(int(CurrentLevel), 2);
        attemptLogin(QStringLiteral("Pippa"), QStringLiteral("pebble"));
        QCOMPARE(CurrentUser, QStringLiteral("Pippa"));
        QCOMPARE(int(CurrentLevel), 4);
    }

    void theNicknameFilterKeepsTheCaret()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        frmUsers* users = open();
        users->cmdNewUser->click();
        users->txtUserName->setFocus();
        users->txtUserName->selectAll();
        QTest::keyClicks(users->txtUserName, QStringLiteral("Ann Lee!"));
        QCOMPARE(users->txtUserName->text(), QStringLiteral("AnnLee"));
        QCOMPARE(users->txtUserName->cursorPosition(), 6);

        // A blank typed in the middle leaves the caret where it was.
        users->txtUserName->setCursorPosition(3);
        QTest::keyClick(users->txtUserName, Qt::Key_Space);
        QCOMPARE(users->txtUserName->text(), QStringLiteral("AnnLee"));
        QCOMPARE(users->txtUserName->cursorPosition(), 3);
        QTest::keyClicks(users->txtUserName, QStringLiteral("-2"));
        QCOMPARE(users->txtUserName->text(), QStringLiteral("Ann2Lee"));
        QCOMPARE(users->txtUserName->cursorPosition(), 4);
        QVERIFY(closeWith(services, vbNo));
    }

    void cancelKeepsAppliedChangesAndNoDiscardsThem()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        frmUsers* users = open();
        ClickEntry(*users, 2);
        QTRY_VERIFY(users->fraUserInfo->isVisible());
        users->txtPassword->setText(QStringLiteral("egret"));
        users->cmdApplyToUser->click();
        const QByteArray changed = kOrrin + kKestrel + StoredUserRecord("Ann", "egret", 3) + kPip + kMordo;

        services.answer(vbCancel);
        users->close();
        QCOMPARE(services.prompts(), QStringList{kQuestion});
        QVERIFY(users->isVisible());
        QCOMPARE(env.readLocal("_files.dat"), changed);

        QVERIFY(closeWith(services, vbNo));
        QVERIFY(!QFileInfo::exists(env.localPath("_files.dat")));
        QCOMPARE(m_site->readSiteFile(kSiteUsers), kMembers);
        QVERIFY(!Sent(*m_site));
    }

    void aRefusedUploadKeepsTheSitesFileAndTheChanges()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        frmUsers* users = open();
        ClickEntry(*users, 4);
        QTRY_VERIFY(users->fraUserInfo->isVisible());
        users->optReadOnly->click();
        users->cmdApplyToUser->click();
        const QByteArray changed = kOrrin + kKestrel + kAnn + kPip + StoredUserRecord("Mordo", "cinder", 2);

        m_site->refuse(QStringLiteral("_files.dat"));
        services.answer(vbYes);
        services.answer(vbOK);
        users->close();
        QCOMPARE(services.shown.size(), 2);
        QVERIFY2(services.last().prompt.startsWith(
                     QStringLiteral("_files.dat could not be sent to the server: ")),
                 qPrintable(services.last().prompt));
        QCOMPARE(services.last().icon(), int(vbCritical));
        QVERIFY(users->isVisible());
        QVERIFY(users->isEnabled());
        QCOMPARE(m_site->readSiteFile(kSiteUsers), kMembers);
        QCOMPARE(env.readLocal("_files.dat"), changed);

        // Once the site takes it again, closing sends the kept changes.
        m_site->clearRefusals();
        QVERIFY(closeWith(services, vbYes));
        QCOMPARE(m_site->readSiteFile(kSiteUsers), changed);
    }

    void aFailedDownloadLeavesTheListEmptyAndTheSiteAlone()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        QFile::remove(m_site->sitePath(kSiteUsers));
        env.writeLocal("_files.dat", "left by an earlier session");
        services.answer(vbOK);
        frmUsers* users = open();
        QCOMPARE(services.shown.size(), 1);
        QVERIFY2(services.last().prompt.startsWith(QStringLiteral(
                     "The user file could not be downloaded: the server answered 404.")),
                 qPrintable(services.last().prompt));
        QCOMPARE(users->lvwFileList->count(), 0);
        QVERIFY(!users->cmdNewUser->isEnabled());

        services.answer(vbYes);
        services.answer(vbOK);
        users->close();
        QTRY_VERIFY(m_users.isNull());
        QCOMPARE(services.prompts().mid(1),
                 QStringList({kQuestion, "The user file was not downloaded when this window "
                                         "opened, so the site's user file has been left as it "
                                         "is."}));
        QVERIFY(m_site->ftpLog().isEmpty());
        QVERIFY(!m_site->siteFileExists(kSiteUsers));
        QCOMPARE(env.readLocal("_files.dat"), QByteArray("left by an earlier session"));
    }

    void entriesNotYetAppliedAndBadEntriesLoseNothing()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        frmUsers* users = open();
        users->cmdNewUser->click();
        users->cmdNewUser->click();

        // The second new entry has no record yet: it shows the new member's boxes.
        ClickEntry(*users, 2);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("Ann"));
        ClickEntry(*users, 6);
        QTRY_COMPARE(users->txtUserName->text(), QStringLiteral("NewUser"));
        QVERIFY(users->txtPassword->text().isEmpty());
        QVERIFY(users->optFullAccess->isChecked());

        // Applying it before the first would leave a gap in the file.
        services.answer(vbOK);
        users->cmdApplyToUser->click();
        QCOMPARE(services.shown.size(), 1);
        QVERIFY2(services.last().prompt.contains(QStringLiteral("new users above")),
                 qPrintable(services.last().prompt));
        QCOMPARE(env.readLocal("_files.dat"), kMembers);
        QCOMPARE(users->lvwFileList->item(6)->text(), QStringLiteral("New User"));

        // A nickname the filter emptied is refused.
        ClickEntry(*users, 5);
        QTRY_COMPARE(users->lvwFileList->selectedItem(), users->lvwFileList->item(5));
        users->txtUserName->setText(QStringLiteral("!!"));
        services.answer(vbOK);
        users->cmdApplyToUser->click();
        QCOMPARE(services.last().prompt, QStringLiteral("Please enter a user name."));
        QCOMPARE(env.readLocal("_files.dat"), kMembers);

        users->txtUserName->setText(QStringLiteral("Sedge"));
        users->cmdApplyToUser->click();
        ClickEntry(*users, 6);
        QTRY_COMPARE(users->lvwFileList->selectedItem(), users->lvwFileList->item(6));
        users->txtUserName->setText(QStringLiteral("Rush"));
        users->cmdApplyToUser->click();
        QCOMPARE(services.shown.size(), 2);
        QCOMPARE(env.readLocal("_files.dat"),
                 kMembers + StoredUserRecord("Sedge", "", 3) + StoredUserRecord("Rush", "", 3));
        QVERIFY(closeWith(services, vbNo));
    }

    void webSiteAccessMakesTheMirrorFolderForANickname()
    {
        TestEnv env(QStringLiteral("Orrin"), 4);
        ScriptedServices services;
        frmUsers* users = open();
        ClickEntry(*users, 2);
        QTRY_VERIFY(users->fraUserInfo->isVisible());
        users->txtUserName->clear();
        users->cmdWebAccess->click();
        QVERIFY(!QFileInfo::exists(env.localPath("WebPage")));
        users->txtUserName->setText(QStringLiteral("Ann"));
        users->cmdWebAccess->click();
        QVERIFY(QFileInfo(env.localPath("WebPage/qxg")).isDir());
        QVERIFY(services.shown.isEmpty());
        QVERIFY(closeWith(services, vbNo));
    }

    void theMainMenuAndTheSharedFilesWindowOpenOneWindow()
    {
        TestEnv env(QStringLiteral("Kestrel"), 4);
        ScriptedServices services;
        frmMainMenu menu;
        QVERIFY(menu.cmdUsers->isEnabled());
        menu.cmdUsers->click();
        auto shownUsersWindows = [] {
            QList<frmUsers*> shown;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* users = qobject_cast<frmUsers*>(widget); users && users->isVisible())
                    shown << users;
            }
            return shown;
        };
        QCOMPARE(shownUsersWindows().size(), 1);
        m_users = shownUsersWindows().first();
        QCOMPARE(m_users->lvwFileList->count(), 5);

        auto* files = new frmFileList;
        QVERIFY(files->mnuFileUsers->isEnabled());
        files->mnuFileUsers->trigger();
        QCOMPARE(shownUsersWindows(), QList<frmUsers*>{m_users.data()});
        QVERIFY(closeWith(services, vbNo));

        // Closed, it opens anew.
        files->mnuFileUsers->trigger();
        QCOMPARE(shownUsersWindows().size(), 1);
        m_users = shownUsersWindows().first();
        QVERIFY(closeWith(services, vbNo));
        delete files;
        QCOMPARE(m_site->httpLog().count(
                     QStringLiteral("GET /tarnwardens/qxg/_files.dat?username=&password=")),
                 2);
    }
};

QTEST_MAIN(TestUsers)
#include "tst_users.moc"
