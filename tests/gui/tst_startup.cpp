// Start-up from the first line of main to the main menu: the local folder
// chooser, signing in through the login window against the local site
// server (the matching of the user file is tested without windows,
// tst_userfile), and the main menu it leads to.

#include "ModalDriver.h"
#include "SiteTestCase.h"

#include "app/GlobalState.h"
#include "app/SecretStore.h"
#include "app/Settings.h"
#include "transport/TlsSupport.h"
#include "ui/Resources.h"
#include "ui/Startup.h"
#include "ui/frmLogin.h"
#include "ui/frmMainMenu.h"
#include "ui/frmSetLocalDir.h"
#include "ui/frmSplash.h"
#include "ui/services/DesktopServices.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

namespace {
const QByteArray kUsers = SampleUserFile();

// Start-up with the login replaced: the member signs in with the given level.
struct FakeLogin
{
    QString user = "Ann";
    unsigned char level = 3;
    bool mainMenuShown = false;
    bool splashVisibleDuringLogin = false;
    QString splashVersion;

    Startup::Steps steps()
    {
        Startup::Steps s;
        s.showLogin = [this] {
            frmSplash* splash = frmSplash::Current();
            splashVisibleDuringLogin = splash && splash->isVisible();
            if (splash)
                splashVersion = splash->lblVersion->text();
            CurrentUser = user;
            CurrentLevel = level;
        };
        s.showMainMenu = [this] { mainMenuShown = true; };
        return s;
    }
};

} // namespace

class TestStartup : public SiteTestCase
{
    Q_OBJECT

    FakeLogin m_login;

    // A member who has used Skiff before: the local folder is stored.
    void storeLocalFolder() { SaveSetting("Settings", "LocalFolder", env().localFolder()); }
    bool run(const QString& commandLine = QString()) { return Startup::Run(commandLine, m_login.steps()); }

    void publishUsers(const QByteArray& bytes) { site().writeSiteFile("qxg/_files.dat", bytes); }

    // A shell script at this path, executable unless told otherwise.
    static void program(const QString& path, const QByteArray& script = "#!/bin/sh\n", bool run = true)
    {
        WriteFileBytes(path, script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | (run ? QFile::ExeOwner : QFile::WriteOwner));
    }
    // Runs the action with only these folders on the PATH.
    static void withPath(const QStringList& folders, const std::function<void()>& action)
    {
        const QByteArray saved = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", saved); });
        qputenv("PATH", folders.join(':').toLocal8Bit());
        action();
    }

    // Types the entries and presses Login.
    static void attempt(frmLogin& login, const QString& name, const QString& password)
    {
        login.txtUserName->setText(name);
        login.txtPassword->setText(password);
        login.cmdOK->click();
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
        m_login = FakeLogin();
    }

    // A rejected attempt writes no setting; the downloaded copy stays until
    // the window unloads.
    void aRejectedLogin()
    {
        signIn();
        publishUsers(kUsers);
        frmLogin login;
        login.show();
        services().expect("Invalid Username/Password", vbOKOnly);
        attempt(login, "Ann", "wrong");
        QVERIFY(site().httpLog().contains(
            "GET /tarnwardens/qxg/_files.dat?username=Ann&password=wrong"));
        QVERIFY(CurrentUser.isEmpty());
        QVERIFY(login.isVisible() && login.isEnabled());
        QCOMPARE(login.txtPassword->palette().color(QPalette::Base),
                 QLineEdit().palette().color(QPalette::Base)); // no longer greyed
        const QString temporary = login.TemporaryFileName();
        QCOMPARE(ReadFileBytes(temporary), kUsers);
        QCOMPARE(GetSetting("Login", "UserName", "unset"), "unset");
        login.cmdCancel->click();
        QVERIFY(!QFile::exists(temporary));
    }

    void settingsAreReadAndWrittenOnlyOnSuccess()
    {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // no desktop secret store here
        signIn();
        publishUsers(kUsers);
        SaveSetting("Login", "UserName", "Ann");
        SaveSetting("Login", "SavePassword", "YES");
        SaveSetting("Login", "Password", "heron");
        SaveSetting("Proxy", "UseProxy", "no");
        SaveSetting("Proxy", "Name", "cache");
        SaveSetting("Proxy", "Port", "3128");
        {
            frmLogin login;
            QCOMPARE(login.txtUserName->text() + "|" + login.txtPassword->text() + "|" +
                         login.txtProxyName->text() + "|" + login.txtProxyPort->text(),
                     "Ann|heron|cache|3128");
            QVERIFY(login.chkSavePassword->isChecked() && !login.chkProxyServer->isChecked());
            login.show();
            // Clearing the tick and signing in erases the saved password;
            // without the proxy box ticked there is no proxy.
            login.chkSavePassword->setChecked(false);
            ProxyServer = "old:1";
            login.cmdOK->click();
            QCOMPARE(CurrentUser, "Ann");
        }
        QCOMPARE(GetSetting("Login", "SavePassword", "") + "|" +
                     GetSetting("Login", "Password", "unset") + "|" +
                     GetSetting("Proxy", "UseProxy", "") + "|" + ProxyServer,
                 "No||No|"); // the old password moved out of the settings, then erased
        QVERIFY(!ReadFileBytes(SecretStore::FallbackFile()).contains("heron"));
        {
            frmLogin login;
            QVERIFY(!login.chkSavePassword->isChecked());
            QVERIFY(login.txtPassword->text().isEmpty());
            login.show();
            login.chkSavePassword->setChecked(true);
            attempt(login, "Orrin", "lantern");
        }
        // Without a desktop secret store the password waits in a file only
        // the member may read, never in the settings.
        QCOMPARE(GetSetting("Login", "UserName", "") + "|" +
                     GetSetting("Login", "SavePassword", "") + "|" +
                     GetSetting("Login", "Password", ""),
                 "Orrin|Yes|");
        QVERIFY(!ReadFileBytes(SettingsFile()).contains("lantern"));
        QVERIFY(ReadFileBytes(SecretStore::FallbackFile()).contains("lantern"));
        QCOMPARE(QFile::permissions(SecretStore::FallbackFile()) & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(QFile::permissions(QFileInfo(SettingsFile()).absolutePath()) & 0x0077, 0);
        frmLogin again;
        QCOMPARE(again.txtPassword->text(), "lantern");
    }

    // A changed certificate of the web side stops every sign-in. An
    // administrator who signed in here before is asked and may confirm it,
    // checked before anything goes over the changed connection; everybody
    // else is told.
    void anAdministratorConfirmsAChangedCertificateBySigningIn()
    {
        signIn();
        publishUsers(kUsers);
        QStringList questions;
        SetTrustQuestion([&](const QString& question) {
            questions << question;
            return true;
        });
        const auto noQuestion = qScopeGuard([] { SetTrustQuestion({}); });
        const auto signInAs = [](const QString& name, const QString& password) {
            frmLogin login;
            login.show();
            attempt(login, name, password);
            return CurrentUser;
        };
        site().serveCertificate("untrusted");
        QCOMPARE(signInAs("Orrin", "lantern"), "Orrin");
        site().serveCertificate("changed");
        site().clearLog();
        for (const QString password : {"wrong", "heron"}) {
            services().answer(vbOK);
            QCOMPARE(signInAs(password == "wrong" ? "Orrin" : "Ann", password), "");
            QVERIFY2(services().last().prompt.contains("has changed"),
                     qPrintable(services().last().prompt));
        }
        QCOMPARE(questions.size(), 1);
        QVERIFY(site().httpLog().isEmpty());
        QCOMPARE(signInAs(" ORRIN", "Lantern"), "Orrin");
        QCOMPARE(questions.size(), 2);
        QVERIFY(questions.last().startsWith("WARNING"));
    }

    void proxyFromTheCommandLineFillsTheBoxes()
    {
        signIn();
        SaveSetting("Proxy", "Name", "saved");
        SaveSetting("Proxy", "Port", "1");
        ProxyServer = "myproxy:8080";
        {
            frmLogin login;
            QVERIFY(login.chkProxyServer->isChecked());
            QCOMPARE(login.txtProxyName->text(), "myproxy");
            QCOMPARE(login.txtProxyPort->text(), "8080");
            QVERIFY(login.height() > login.CollapsedHeight());
        }
        ProxyServer = "onlyhost";
        frmLogin login;
        QCOMPARE(login.txtProxyName->text(), "onlyhost");
        QCOMPARE(login.txtProxyPort->text(), QString());
    }

    // Through the real windows: Cancel and the close box end the program, a
    // member's password reaches the main menu.
    void theLoginDecidesTheStart_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("signed in") << "heron";
    }
    void theLoginDecidesTheStart()
    {
        QFETCH(QString, how);
        TestEnv& env = signIn();
        publishUsers(kUsers);
        SaveSetting("Settings", "LocalFolder", env.localFolder());
        CurrentUser = "stale";
        CurrentLevel = 0;
        WhenShown<frmLogin>([how](frmLogin* login) {
            if (how == "close")
                login->close();
            else if (how == "Cancel")
                login->cmdCancel->click();
            else
                attempt(*login, "Ann", how);
        });
        bool mainMenu = false;
        Startup::Steps steps = Startup::ProgramSteps();
        steps.showMainMenu = [&] { mainMenu = true; };
        const bool signedIn = how == "heron";
        QCOMPARE(Startup::Run(QString(), steps), signedIn);
        QCOMPARE(mainMenu, signedIn);
        QCOMPARE(CurrentUser + QString::number(CurrentLevel), signedIn ? "Ann3" : "0");
        QCOMPARE(services().endProgramCalls, signedIn ? 0 : 1);
    }

    // The first line is the release; the rest is shown as it stands. A
    // missing message leaves the menu usable; a newer release ends the
    // program. (How releases compare: tst_shared_procedures.)
    void messageNoticeAndButtons_data()
    {
        QTest::addColumn<QByteArray>("file"); // null = missing
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("buttons"); // enabled ones; "notice": the notice ends it
        QTest::newRow("lines, read only")
            << QByteArray("2.0.3\r\nFirst line\r\nSecond line\r\n\r\nLast") << 2
            << "First line\nSecond line\n\nLast" << "";
        QTest::newRow("all release, full access") << QByteArray("2.0.3") << 3 << "" << "PostNews";
        QTest::newRow("missing, administrator") << QByteArray() << 4 << "" << "PostNews Users";
        QTest::newRow("newer release") << QByteArray("2.0.4\r\nHello") << 4 << "Hello" << "notice";
    }
    void messageNoticeAndButtons()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, level);
        QFETCH(QString, shown);
        QFETCH(QString, buttons);
        signIn("Ann", static_cast<unsigned char>(level));
        if (!file.isNull())
            site().writeSiteFile("qxg/_message.dat", file);
        const bool notice = buttons == "notice";
        if (notice)
            services().expect("Skiff has been updated to version 2.0.4\r\nYou are currently using "
                              "version 2.0.3\r\n\r\nPlease get version 2.0.4 from Orrin.",
                              vbCritical);
        frmMainMenu menu;
        QCOMPARE(menu.txtMessage->toPlainText(), shown);
        QCOMPARE(services().endProgramCalls, notice ? 1 : 0);
        if (notice)
            return;
        QStringList enabled;
        for (QPushButton* button : {menu.cmdPostNews, menu.cmdUsers})
            enabled << (button->isEnabled() ? button->objectName().mid(3) : QString());
        QCOMPARE(enabled.join(' ').trimmed(), buttons);
        QVERIFY(menu.cmdWebPage->isEnabled() && menu.cmdAdventure->isEnabled());
    }

    // The splash shows during the login and goes at the end; the editors
    // file is written only when missing.
    void splashAndTheExternalEditorsFile()
    {
        signIn();
        storeLocalFolder();
        withPath({env().root() + "/nothing"}, [&] { QVERIFY(run()); });
        QVERIFY(m_login.splashVisibleDuringLogin);
        QCOMPARE(m_login.splashVersion, "Version 2.0.3");
        QVERIFY(m_login.mainMenuShown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frmSplash::Current() == nullptr);
        const QString path = env().programFolder() + "/external editors.ini";
        QCOMPARE(ExternalEditorsFile, path);
        QCOMPARE(ReadFileBytes(path), QByteArray()); // nothing installed on this PATH

        // The first list names what is installed: the desktop's default text
        // editor by its entry, then the usual ones on the PATH, each program
        // once, a path with a blank in quotes; a file that cannot run is none.
        const QString apps = env().root() + "/my apps", bin = env().root() + "/bin";
        program(apps + "/geany");
        program(bin + "/gedit");
        program(bin + "/kate", "#!/bin/sh\n", false);
        program(bin + "/xdg-mime", "#!/bin/sh\n[ \"$*\" = \"query default text/plain\" ] && echo notes.desktop\n");
        WriteFileBytes(env().root() + "/share/applications/notes.desktop",
                       "[Desktop Entry]\nName=Geany Notes\nExec=geany %F\n[Desktop Action new]\nName=New\n");
        qputenv("XDG_DATA_DIRS", (env().root() + "/share").toLocal8Bit());
        QFile::remove(path);
        withPath({apps, bin}, [&] { QVERIFY(run()); });
        QCOMPARE(QString::fromUtf8(ReadFileBytes(path)),
                 "Geany Notes\r\n\"" + apps + "/geany\"\r\ngedit\r\n" + bin + "/gedit\r\n");

        for (const QByteArray& existing : {QByteArray(), QByteArray("vim\r\n/usr/bin/vim")}) {
            WriteFileBytes(path, existing);
            QVERIFY(run());
            QCOMPARE(ReadFileBytes(path), existing);
        }
    }

    // Whether the desktop opened a file shows in xdg-open's exit status; one
    // still running after the wait is showing it.
    void theDesktopSaysWhetherItOpenedAFile()
    {
        signIn();
        const QString bin = env().root() + "/bin";
        for (const auto& [script, opened] : {std::pair("exit 0", true), std::pair("exit 3", false),
                                             std::pair("exec /bin/sleep 3", true)}) {
            program(bin + "/xdg-open", QByteArray("#!/bin/sh\n") + script + "\n");
            withPath({bin}, [&] {
                QCOMPARE(DesktopServices::OpenWithDesktop(env().root(), 300), opened);
            });
        }
    }

    // The "/proxy" switch of the command line, and NoReadOnly exactly "Yes".
    void commandLineAndStoredChoices_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("proxy");
        QTest::addColumn<QString>("stored"); // NoReadOnly; null = never stored
        QTest::addColumn<bool>("noReadOnly");
        QTest::newRow("switch, Yes") << "/proxy myproxy:8080" << "myproxy:8080" << "Yes" << true;
        QTest::newRow("after other words, yes") << "-x /proxy host:3128" << "host:3128" << "yes" << false;
        QTest::newRow("capitals ignored, No") << "/PROXY myproxy:8080" << "" << "No" << false;
        QTest::newRow("at the very end") << "/proxy" << "" << QString() << false;
        QTest::newRow("nothing trimmed") << "/proxy  spaced:1 " << " spaced:1 " << "YES" << false;
    }
    void commandLineAndStoredChoices()
    {
        signIn();
        QFETCH(QString, commandLine);
        QFETCH(QString, proxy);
        QFETCH(QString, stored);
        QFETCH(bool, noReadOnly);
        storeLocalFolder();
        if (!stored.isNull())
            SaveSetting("Settings", "NoReadOnly", stored);
        NoReadOnly = !noReadOnly;
        QVERIFY(run(commandLine));
        QCOMPARE(ProxyServer, proxy);
        QCOMPARE(NoReadOnly, noReadOnly);
    }

    void levelsOutsideTwoToFourAreLockedOut_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("admitted");
        for (int level : {0, 1, 5, 2, 4})
            QTest::addRow("level %d", level) << level << (level >= 2 && level <= 4);
    }
    void levelsOutsideTwoToFourAreLockedOut()
    {
        signIn();
        QFETCH(int, level);
        QFETCH(bool, admitted);
        storeLocalFolder();
        m_login.level = static_cast<unsigned char>(level);
        if (!admitted)
            services().expect("Sorry, you've been locked out.", vbOKOnly);
        QCOMPARE(run(), admitted);
        QCOMPARE(m_login.mainMenuShown, admitted);
        QCOMPARE(services().endProgramCalls, admitted ? 0 : 1);
    }

    void firstRunOffersLocalFolderBesideTheProgram()
    {
        signIn();
        const QString offered = env().programFolder() + "/Local Folder";
        QString labelShown;
        QString selected;
        WhenShown<frmSetLocalDir>([&](frmSetLocalDir* chooser) {
            labelShown = chooser->lblSetLocalFolder->text();
            selected = chooser->SelectedFolder();
            services().expect("Set Local Folder to " + offered + "/ ?", vbYesNo, vbYes);
            chooser->cmdSetLocalDir->click();
        });
        QVERIFY(run());
        QVERIFY(QFileInfo(offered).isDir());
        QCOMPARE(selected + "|" + labelShown, offered + "|" + offered);
        QCOMPARE(GetSetting("Settings", "LocalFolder", "") + "|" + LocalFolder,
                 offered + "/|" + offered + "/");
        QCOMPARE(QDir::currentPath(), offered);
        QVERIFY(QFileInfo(offered + "/WebPage").isDir());
        QVERIFY(m_login.mainMenuShown);
    }

    void unusableStoredFolderAsksOnceMoreThenEnds()
    {
        TestEnv& env = signIn();
        SaveSetting("Settings", "LocalFolder", env.root() + "/gone/");
        // Cancelled: the folder still cannot be entered, so the program ends.
        WhenShown<frmSetLocalDir>([](frmSetLocalDir* chooser) { chooser->cmdCancel->click(); });
        QVERIFY(!run());
        QCOMPARE(services().endProgramCalls, 1);

        // Chosen: start-up goes on in the new folder.
        services().clear();
        QDir().mkpath(env.root() + "/chosen");
        bool keptOpen = false;
        WhenShown<frmSetLocalDir>([&](frmSetLocalDir* chooser) {
            chooser->SelectFolder(env.root() + "/chosen");
            // No keeps it open with the same selection.
            services().answer(vbNo);
            chooser->cmdSetLocalDir->click();
            keptOpen = chooser->isVisible() && chooser->SelectedFolder() == env.root() + "/chosen";
            services().answer(vbYes);
            chooser->cmdSetLocalDir->click();
        });
        QVERIFY(run());
        QVERIFY(keptOpen);
        QCOMPARE(QDir::currentPath(), env.root() + "/chosen");
        QVERIFY(QFileInfo(env.root() + "/chosen/WebPage").isDir());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
