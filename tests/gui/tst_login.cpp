// Signing in against the site's user file, end to end against the local
// site server. The user files here are built byte by byte, so a codec bug
// that scrambles and unscrambles symmetrically cannot hide.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "SiteServer.h"
#include "TestEnv.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "ui/Resources.h"
#include "ui/Startup.h"
#include "ui/frmLogin.h"
#include "ui/frmSplash.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

namespace {

// One stored record: blank-padded Windows-1252 fields, every byte complemented.
QByteArray storedRecord(const QByteArray& name, const QByteArray& password, int level)
{
    QByteArray clear = name.leftJustified(30, ' ', true) + password.leftJustified(29, ' ', true);
    clear += char(level);
    QByteArray stored;
    for (const char byte : clear)
        stored += char(~static_cast<unsigned char>(byte));
    return stored;
}

const QByteArray kUsers = storedRecord("Orrin", "Lantern", 4) + storedRecord("Ann", "heron", 3) +
                          storedRecord("P\xE9pin", "caf\xE9", 2) +
                          storedRecord("Mordo", "cinder", 1);

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

    SiteServer* m_site = nullptr;

    void publishUsers(const QByteArray& bytes) { m_site->writeSiteFile("qxg/_files.dat", bytes); }

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
        m_site = new SiteServer;
        QVERIFY2(m_site->start(), qPrintable(m_site->errorString()));
    }
    void cleanupTestCase() { delete m_site; }

    void windowLooksAsDesigned()
    {
        TestEnv env;
        ScriptedServices services;
        frmLogin login;
        QCOMPARE(login.windowTitle(), QStringLiteral("Tarn Wardens Login"));
        QCOMPARE(login.cmdOK->text(), QStringLiteral("Login"));
        QCOMPARE(login.cmdCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(login.chkSavePassword->text(), QStringLiteral("Sa&ve Password"));
        QCOMPARE(login.chkProxyServer->text(),
                 QStringLiteral("Use Proxy Server >>> (FTP && HTTP Protocol)"));
        QCOMPARE(login.fraProxyServer->title(), QStringLiteral("Proxy Sever Settings"));
        QCOMPARE(login.txtPassword->echoMode(), QLineEdit::Password);

        // Collapsed: the client area ends where the proxy frame begins.
        login.show();
        QCOMPARE(login.height(), login.fraProxyServer->y());
        QVERIFY(!login.fraProxyServer->isEnabled());
        login.chkProxyServer->click();
        QCOMPARE(login.height(), login.fraProxyServer->geometry().bottom() + 1 +
                                     (login.fraProxyServer->y() -
                                      login.chkProxyServer->geometry().bottom() - 1));
        QVERIFY(login.fraProxyServer->isEnabled());
        QTRY_VERIFY(login.txtProxyName->hasFocus());
        login.chkProxyServer->click();
        QCOMPARE(login.height(), login.CollapsedHeight());
        QVERIFY(!login.fraProxyServer->isEnabled());
    }

    void focusSelectsTheWholeText()
    {
        TestEnv env;
        frmLogin login;
        login.show();
        QVERIFY(QTest::qWaitForWindowActive(&login));
        login.txtUserName->setText("Orrin");
        login.txtPassword->setText("secret");
        login.txtPassword->setFocus();
        QTRY_COMPARE(login.txtPassword->selectedText(), QStringLiteral("secret"));
        login.txtUserName->setFocus();
        QTRY_COMPARE(login.txtUserName->selectedText(), QStringLiteral("Orrin"));
    }

    void matchesIgnoringCaseAndBlanksAndKeepsTheStoredSpelling()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(kUsers);
        frmLogin login;
        login.show();
        attempt(login, "  ORRIN ", " lANTERN  ");
        QVERIFY(services.shown.isEmpty());
        QCOMPARE(CurrentUser, QStringLiteral("Orrin"));
        QCOMPARE(int(CurrentLevel), 4);
        QCOMPARE(login.result(), int(QDialog::Accepted));

        // Windows-1252 letters beyond ASCII match too.
        frmLogin second;
        second.show();
        attempt(second, QString::fromUtf8("pépin"), QString::fromUtf8("CAFÉ"));
        QCOMPARE(CurrentUser, QString::fromUtf8("Pépin"));
        QCOMPARE(int(CurrentLevel), 2);
    }

    void theRequestCarriesTheTypedValues()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(kUsers);
        frmLogin login;
        login.show();
        attempt(login, "Ann", "heron");
        QVERIFY(m_site->httpLog().contains(
            "GET /tarnwardens/qxg/_files.dat?username=Ann&password=heron"));
    }

    void rejections_data()
    {
        QTest::addColumn<QByteArray>("userFile");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("empty file") << QByteArray() << "Ann" << "heron";
        QTest::newRow("59 bytes") << storedRecord("Ann", "heron", 3).left(59) << "Ann" << "heron";
        QTest::newRow("wrong password") << kUsers << "Ann" << "heron2";
        QTest::newRow("unknown member") << kUsers << "Zed" << "heron";
        QTest::newRow("password over 29 characters")
            << storedRecord("Ann", QByteArray(29, 'x'), 3) << "Ann" << QString(30, 'x');
        QTest::newRow("error page")
            << QByteArray("<html><body><h1>404 Not Found</h1><p>The requested URL was not "
                          "found on this server.</p></body></html>\r\n")
            << "Ann" << "heron";
        QTest::newRow("blank entries") << kUsers << "" << "";
    }
    void rejections()
    {
        QFETCH(QByteArray, userFile);
        QFETCH(QString, name);
        QFETCH(QString, password);
        TestEnv env;
        ScriptedServices services;
        publishUsers(userFile);
        frmLogin login;
        login.show();
        attempt(login, name, password);
        QCOMPARE(services.prompts(), QStringList{"Invalid Username/Password"});
        QCOMPARE(services.last().style, int(vbOKOnly));
        QCOMPARE(services.last().title, QStringLiteral("Skiff"));
        QVERIFY(CurrentUser.isEmpty());
        QVERIFY(login.isVisible());
        QVERIFY(login.isEnabled());
        // The downloaded copy stays until the window unloads, then goes.
        const QString temporary = login.TemporaryFileName();
        QVERIFY(QFile::exists(temporary));
        QCOMPARE(ReadFileBytes(temporary), userFile);
        // A failed attempt writes no setting.
        QCOMPARE(GetSetting("Login", "UserName", "unset"), QStringLiteral("unset"));
        QCOMPARE(GetSetting("Proxy", "UseProxy", "unset"), QStringLiteral("unset"));
        login.cmdCancel->click();
        QVERIFY(!QFile::exists(temporary));
    }

    void missingUserFileIsAnInvalidLogin()
    {
        TestEnv env;
        ScriptedServices services;
        QFile::remove(m_site->sitePath("qxg/_files.dat"));
        frmLogin login;
        login.show();
        attempt(login, "Ann", "heron");
        QCOMPARE(services.prompts(), QStringList{"Invalid Username/Password"});
    }

    void theLaterOfTwoMatchingRecordsDecides()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(storedRecord("Ann", "heron", 2) + storedRecord("Bob", "x", 4) +
                     storedRecord("ANN", "HERON", 3));
        frmLogin login;
        login.show();
        attempt(login, "ann", "heron");
        QCOMPARE(int(CurrentLevel), 3);
        QCOMPARE(CurrentUser, QStringLiteral("ANN"));
    }

    void settingsAreReadAndWrittenOnlyOnSuccess()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(kUsers);
        SaveSetting("Login", "UserName", "Ann");
        SaveSetting("Login", "SavePassword", "YES");
        SaveSetting("Login", "Password", "heron");
        SaveSetting("Proxy", "UseProxy", "no");
        SaveSetting("Proxy", "Name", "cache");
        SaveSetting("Proxy", "Port", "3128");
        {
            frmLogin login;
            QCOMPARE(login.txtUserName->text(), QStringLiteral("Ann"));
            QVERIFY(login.chkSavePassword->isChecked());
            QCOMPARE(login.txtPassword->text(), QStringLiteral("heron"));
            QVERIFY(!login.chkProxyServer->isChecked());
            QCOMPARE(login.txtProxyName->text(), QStringLiteral("cache"));
            QCOMPARE(login.txtProxyPort->text(), QStringLiteral("3128"));
            login.show();
            // Clearing the tick and signing in erases the saved password.
            login.chkSavePassword->setChecked(false);
            login.cmdOK->click();
            QCOMPARE(CurrentUser, QStringLiteral("Ann"));
        }
        QCOMPARE(GetSetting("Login", "SavePassword", ""), QStringLiteral("No"));
        QCOMPARE(GetSetting("Login", "Password", "unset"), QString());
        QCOMPARE(GetSetting("Proxy", "UseProxy", ""), QStringLiteral("No"));
        {
            frmLogin login;
            QVERIFY(!login.chkSavePassword->isChecked());
            QVERIFY(login.txtPassword->text().isEmpty());
            login.show();
            login.chkSavePassword->setChecked(true);
            attempt(login, "Orrin", "lantern");
        }
        QCOMPARE(GetSetting("Login", "UserName", ""), QStringLiteral("Orrin"));
        QCOMPARE(GetSetting("Login", "SavePassword", ""), QStringLiteral("Yes"));
        QCOMPARE(GetSetting("Login", "Password", ""), QStringLiteral("lantern"));
    }

    void proxyFromTheCommandLineFillsTheBoxes()
    {
        TestEnv env;
        ScriptedServices services;
        SaveSetting("Proxy", "Name", "saved");
        SaveSetting("Proxy", "Port", "1");
        ProxyServer = QStringLiteral("myproxy:8080");
        {
            frmLogin login;
            QVERIFY(login.chkProxyServer->isChecked());
            QCOMPARE(login.txtProxyName->text(), QStringLiteral("myproxy"));
            QCOMPARE(login.txtProxyPort->text(), QStringLiteral("8080"));
            QVERIFY(login.height() > login.CollapsedHeight());
        }
        ProxyServer = QStringLiteral("onlyhost");
        frmLogin login;
        QCOMPARE(login.txtProxyName->text(), QStringLiteral("onlyhost"));
        QCOMPARE(login.txtProxyPort->text(), QString());
    }

    void loginSetsProxyServerFromTheBoxes()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(kUsers);
        ProxyServer = QStringLiteral("old:1");
        frmLogin login;
        login.show();
        login.chkProxyServer->setChecked(false);
        attempt(login, "Ann", "heron");
        QCOMPARE(ProxyServer, QString());
        QCOMPARE(GetSetting("Proxy", "UseProxy", ""), QStringLiteral("No"));
    }

    void unreachableServerShowsItsErrorAndLetsTheMemberRetry()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(kUsers);
        const QByteArray port = qgetenv("SKIFF_HTTP_PORT");
        qputenv("SKIFF_HTTP_PORT", "1"); // nothing listens there
        frmLogin login;
        login.show();
        attempt(login, "Ann", "heron");
        qputenv("SKIFF_HTTP_PORT", port);
        QCOMPARE(services.shown.size(), 1);
        QCOMPARE(services.last().icon(), int(vbCritical));
        QVERIFY(!services.last().prompt.isEmpty());
        QVERIFY(services.last().prompt != QLatin1String("Invalid Username/Password"));
        QVERIFY(CurrentUser.isEmpty());
        QVERIFY(login.isEnabled());
        QVERIFY(login.isVisible());

        attempt(login, "Ann", "heron");
        QCOMPARE(CurrentUser, QStringLiteral("Ann"));
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
        ScriptedServices services;
        CurrentUser = QStringLiteral("stale");
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
        QCOMPARE(services.endProgramCalls, 1);
        QVERIFY(!mainMenu);
    }

    void lockedOutMemberSignsInThenIsRefused()
    {
        TestEnv env;
        ScriptedServices services;
        publishUsers(kUsers);
        SaveSetting("Settings", "LocalFolder", env.localFolder());
        bool splashInFrontDuringAttempt = false;
        WhenShown<frmLogin>([&](frmLogin* login) {
            login->txtUserName->setText("mordo");
            login->txtPassword->setText("cinder");
            login->cmdOK->click();
            splashInFrontDuringAttempt = frmSplash::Current() != nullptr;
        });
        bool mainMenu = false;
        Startup::Steps steps = Startup::ProgramSteps();
        steps.showMainMenu = [&] { mainMenu = true; };
        QVERIFY(!Startup::Run(QString(), steps));
        QCOMPARE(CurrentUser, QStringLiteral("Mordo"));
        QCOMPARE(services.prompts(), QStringList{"Sorry, you've been locked out."});
        QCOMPARE(services.endProgramCalls, 1);
        QVERIFY(!mainMenu);
        QVERIFY(splashInFrontDuringAttempt);
    }

    void memberReachesTheMainMenuThroughTheRealWindows()
    {
        TestEnv env;
        ScriptedServices services;
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
        QCOMPARE(services.endProgramCalls, 0);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
