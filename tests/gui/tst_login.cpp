// Signing in through the login window against the local site server (the
// matching of the user file is tested without windows, tst_users).

#include "ModalDriver.h"
#include "SiteTestCase.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "ui/Resources.h"
#include "ui/Startup.h"
#include "ui/frmLogin.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

namespace {
const QByteArray kUsers = SampleUserFile();
} // namespace

class TestLogin : public SiteTestCase
{
    Q_OBJECT

    void publishUsers(const QByteArray& bytes) { site().writeSiteFile("qxg/_files.dat", bytes); }

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

    // A rejected attempt writes no setting; the downloaded copy stays until
    // the window unloads.
    void aRejectedLogin()
    {
        TestEnv env;
        publishUsers(kUsers);
        frmLogin login;
        login.show();
        services().expect("Invalid Username/Password", vbOKOnly);
        attempt(login, "Ann", "wrong");
        QVERIFY(site().httpLog().contains(
            "GET /tarnwardens/qxg/_files.dat?username=Ann&password=wrong"));
        QVERIFY(CurrentUser.isEmpty());
        QVERIFY(login.isVisible() && login.isEnabled());
        const QString temporary = login.TemporaryFileName();
        QCOMPARE(ReadFileBytes(temporary), kUsers);
        QCOMPARE(GetSetting("Login", "UserName", "unset"), "unset");
        login.cmdCancel->click();
        QVERIFY(!QFile::exists(temporary));
    }

    void settingsAreReadAndWrittenOnlyOnSuccess()
    {
        TestEnv env;
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
                 "No||No|");
        {
            frmLogin login;
            QVERIFY(!login.chkSavePassword->isChecked());
            QVERIFY(login.txtPassword->text().isEmpty());
            login.show();
            login.chkSavePassword->setChecked(true);
            attempt(login, "Orrin", "lantern");
        }
        QCOMPARE(GetSetting("Login", "UserName", "") + "|" +
                     GetSetting("Login", "SavePassword", "") + "|" +
                     GetSetting("Login", "Password", ""),
                 "Orrin|Yes|lantern");
    }

    void proxyFromTheCommandLineFillsTheBoxes()
    {
        TestEnv env;
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

    void cancelAndTheCloseBoxEndTheProgram_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndTheCloseBoxEndTheProgram()
    {
        QFETCH(bool, closeBox);
        TestEnv env;
        CurrentUser = "stale";
        WhenShown<frmLogin>([closeBox](frmLogin* login) {
            if (closeBox)
                login->close();
            else
                login->cmdCancel->click();
        });
        bool mainMenu = false;
        Startup::Steps steps = Startup::ProgramSteps();
        steps.showMainMenu = [&] { mainMenu = true; };
        QVERIFY(!Startup::Run(QString(), steps));
        QVERIFY(CurrentUser.isEmpty());
        QCOMPARE(services().endProgramCalls, 1);
        QVERIFY(!mainMenu);
    }

    void memberReachesTheMainMenuThroughTheRealWindows()
    {
        TestEnv env;
        publishUsers(kUsers);
        SaveSetting("Settings", "LocalFolder", env.localFolder());
        WhenShown<frmLogin>([](frmLogin* login) {
            login->txtUserName->setText("Ann");
            login->txtPassword->setText("heron");
            login->cmdOK->click();
        });
        bool mainMenu = false;
        Startup::Steps steps = Startup::ProgramSteps();
        steps.showMainMenu = [&] { mainMenu = true; };
        QVERIFY(Startup::Run(QString(), steps));
        QVERIFY(mainMenu);
        QCOMPARE(int(CurrentLevel), 3);
        QCOMPARE(services().endProgramCalls, 0);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
