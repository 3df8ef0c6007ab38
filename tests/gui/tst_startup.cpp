// Start-up from the first line of main to the hand-over to the main menu,
// and the local folder chooser.

#include "ModalDriver.h"
#include "ScriptedServices.h"
#include "TestEnv.h"

#include "app/GlobalState.h"
#include "app/Settings.h"
#include "ui/Resources.h"
#include "ui/Startup.h"
#include "ui/frmSetLocalDir.h"
#include "ui/frmSplash.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace modSkiff;

namespace {

// Start-up with the login replaced: the member signs in with the given level.
struct FakeLogin
{
    QString user = QStringLiteral("Ann");
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

// A member who has used Skiff before: the local folder is stored.
void storeLocalFolder(const TestEnv& env)
{
    SaveSetting("Settings", "LocalFolder", env.localFolder());
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { InitResources(); }

    void externalEditorsFileIsCreatedWithThreeEditorsOnlyWhenMissing()
    {
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        const QString path = env.programFolder() + "/external editors.ini";
        QCOMPARE(ExternalEditorsFile, path);
        QCOMPARE(ReadFileBytes(path),
                 QByteArray("Text Editor\r\n/usr/bin/gnome-text-editor\r\n"
                            "Bluefish HTML Editor\r\n/usr/bin/bluefish\r\n"
                            "GIMP Image Editor\r\n/usr/bin/gimp\r\n"));

        for (const QByteArray& existing : {QByteArray(), QByteArray("vim\r\n/usr/bin/vim")}) {
            WriteFileBytes(path, existing);
            QVERIFY(Startup::Run(QString(), login.steps()));
            QCOMPARE(ReadFileBytes(path), existing);
        }
    }

    void noReadOnlyIsExactlyYes_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Yes") << "Yes" << true;
        QTest::newRow("yes") << "yes" << false;
        QTest::newRow("YES") << "YES" << false;
        QTest::newRow("No") << "No" << false;
        QTest::newRow("missing") << QString() << false;
    }
    void noReadOnlyIsExactlyYes()
    {
        QFETCH(QString, stored);
        QFETCH(bool, expected);
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        if (!stored.isNull())
            SaveSetting("Settings", "NoReadOnly", stored);
        NoReadOnly = !expected;
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        QCOMPARE(NoReadOnly, expected);
    }

    void proxySwitch_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("proxy");
        QTest::newRow("switch") << "/proxy myproxy:8080" << "myproxy:8080";
        QTest::newRow("after other words") << "-x /proxy host:3128" << "host:3128";
        QTest::newRow("capitals ignored") << "/PROXY myproxy:8080" << "";
        QTest::newRow("at the very end") << "/proxy" << "";
        QTest::newRow("nothing trimmed") << "/proxy  spaced:1 " << " spaced:1 ";
        QTest::newRow("no switch") << "" << "";
    }
    void proxySwitch()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, proxy);
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        FakeLogin login;
        QVERIFY(Startup::Run(commandLine, login.steps()));
        QCOMPARE(ProxyServer, proxy);
    }

    void splashShowsDuringLoginAndClosesAtTheEnd()
    {
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        QVERIFY(login.splashVisibleDuringLogin);
        QCOMPARE(login.splashVersion, QStringLiteral("Version 2.0.3"));
        QVERIFY(login.mainMenuShown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frmSplash::Current() == nullptr);
    }

    void splashClosesEarlyOnAKeyOrAClickOnItsFrame()
    {
        auto* splash = new frmSplash;
        QCOMPARE(splash->windowTitle(), QStringLiteral("Skiff - Tarn Wardens Connection to the Web"));
        QCOMPARE(splash->lblProductName->text(), QStringLiteral("Skiff"));
        QCOMPARE(splash->lblCompany->text(), QStringLiteral("Tarn Wardens"));
        QCOMPARE(splash->lblPlatform->text(), QStringLiteral("for Windows 95"));
        splash->show();
        QTest::keyClick(splash, Qt::Key_Space);
        QTRY_VERIFY(frmSplash::Current() == nullptr);

        splash = new frmSplash;
        splash->show();
        QWidget* frame = splash->findChild<QWidget*>("fraMainFrame");
        QVERIFY(frame);
        QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(3, 3));
        QTRY_VERIFY(frmSplash::Current() == nullptr);
    }

    void noLoginEndsTheProgramSilently()
    {
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        CurrentUser.clear();
        Startup::Steps steps;
        steps.showLogin = [] {};
        bool mainMenu = false;
        steps.showMainMenu = [&] { mainMenu = true; };
        QVERIFY(!Startup::Run(QString(), steps));
        QCOMPARE(services.endProgramCalls, 1);
        QVERIFY(services.shown.isEmpty());
        QVERIFY(!mainMenu);
    }

    void levelsOutsideTwoToFourAreLockedOut_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("admitted");
        for (int level : {0, 1, 5, 255})
            QTest::addRow("level %d", level) << level << false;
        for (int level : {2, 3, 4})
            QTest::addRow("level %d", level) << level << true;
    }
    void levelsOutsideTwoToFourAreLockedOut()
    {
        QFETCH(int, level);
        QFETCH(bool, admitted);
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        FakeLogin login;
        login.level = static_cast<unsigned char>(level);
        QCOMPARE(Startup::Run(QString(), login.steps()), admitted);
        QCOMPARE(login.mainMenuShown, admitted);
        if (admitted) {
            QCOMPARE(services.endProgramCalls, 0);
            QVERIFY(services.shown.isEmpty());
        } else {
            QCOMPARE(services.endProgramCalls, 1);
            QCOMPARE(services.shown.size(), 1);
            QCOMPARE(services.last().prompt, QStringLiteral("Sorry, you've been locked out."));
            QCOMPARE(services.last().style, int(vbOKOnly));
            QCOMPARE(services.last().title, QStringLiteral("Skiff"));
        }
    }

    void firstRunOffersLocalFolderBesideTheProgram()
    {
        TestEnv env;
        ScriptedServices services;
        const QString offered = env.programFolder() + "/Local Folder";
        QString labelShown;
        QString selected;
        WhenShown<frmSetLocalDir>([&](frmSetLocalDir* chooser) {
            labelShown = chooser->lblSetLocalFolder->text();
            selected = chooser->SelectedFolder();
            services.answer(vbYes);
            chooser->cmdSetLocalDir->click();
        });
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        QVERIFY(QFileInfo(offered).isDir());
        QCOMPARE(selected, offered);
        QCOMPARE(labelShown, offered);
        QCOMPARE(services.last().prompt, "Set Local Folder to " + offered + "/ ?");
        QCOMPARE(services.last().buttons(), int(vbYesNo));
        QCOMPARE(services.last().icon(), 0);
        QCOMPARE(GetSetting("Settings", "LocalFolder", ""), offered + "/");
        QCOMPARE(LocalFolder, offered + "/");
        QCOMPARE(QDir::currentPath(), offered);
        QVERIFY(QFileInfo(offered + "/WebPage").isDir());
        QVERIFY(login.mainMenuShown);
    }

    void firstRunCancelledStillUsesTheDefaultFolderWithoutStoringIt()
    {
        TestEnv env;
        ScriptedServices services;
        WhenShown<frmSetLocalDir>([](frmSetLocalDir* chooser) { chooser->cmdCancel->click(); });
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        QCOMPARE(GetSetting("Settings", "LocalFolder", "unset"), QStringLiteral("unset"));
        QCOMPARE(QDir::currentPath(), env.programFolder() + "/Local Folder");
    }

    void unusableStoredFolderAsksOnceMoreThenEnds()
    {
        TestEnv env;
        ScriptedServices services;
        SaveSetting("Settings", "LocalFolder", env.root() + "/gone/");
        // Cancelled: the folder still cannot be entered, so the program ends.
        WhenShown<frmSetLocalDir>([](frmSetLocalDir* chooser) { chooser->cmdCancel->click(); });
        FakeLogin login;
        QVERIFY(!Startup::Run(QString(), login.steps()));
        QCOMPARE(services.endProgramCalls, 1);
        QVERIFY(services.shown.isEmpty());

        // Chosen: start-up goes on in the new folder.
        services.clear();
        QDir().mkpath(env.root() + "/chosen");
        WhenShown<frmSetLocalDir>([&](frmSetLocalDir* chooser) {
            chooser->SelectFolder(env.root() + "/chosen");
            services.answer(vbYes);
            chooser->cmdSetLocalDir->click();
        });
        QVERIFY(Startup::Run(QString(), login.steps()));
        QCOMPARE(QDir::currentPath(), env.root() + "/chosen");
        QVERIFY(QFileInfo(env.root() + "/chosen/WebPage").isDir());
    }

    void chooserNoKeepsItOpenWithTheSameSelection()
    {
        TestEnv env;
        ScriptedServices services;
        LocalFolder = env.localFolder();
        const QString before = QDir::currentPath();
        frmSetLocalDir chooser;
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Set Local Folder"));
        QCOMPARE(chooser.cmdSetLocalDir->text(), QStringLiteral("Set Local Folder"));
        QCOMPARE(chooser.cmdCancel->text(), QStringLiteral("Cancel"));
        QDir().mkpath(env.root() + "/other");
        chooser.SelectFolder(env.root() + "/other");
        QCOMPARE(chooser.lblSetLocalFolder->text(), env.root() + "/other");
        chooser.show();
        services.answer(vbNo);
        chooser.cmdSetLocalDir->click();
        QVERIFY(chooser.isVisible());
        QCOMPARE(chooser.SelectedFolder(), env.root() + "/other");
        QCOMPARE(LocalFolder, env.localFolder());
        QCOMPARE(QDir::currentPath(), before);
        QCOMPARE(GetSetting("Settings", "LocalFolder", "unset"), QStringLiteral("unset"));

        chooser.cmdCancel->click();
        QVERIFY(!chooser.isVisible());
        QCOMPARE(LocalFolder, env.localFolder());
        QCOMPARE(GetSetting("Settings", "LocalFolder", "unset"), QStringLiteral("unset"));
    }

    void chooserStoresTheRootWithOneSeparator()
    {
        TestEnv env;
        ScriptedServices services;
        frmSetLocalDir chooser;
        chooser.SelectFolder("/");
        chooser.show();
        services.answer(vbYes);
        chooser.cmdSetLocalDir->click();
        QCOMPARE(services.last().prompt, QStringLiteral("Set Local Folder to / ?"));
        QCOMPARE(GetSetting("Settings", "LocalFolder", ""), QStringLiteral("/"));
        QCOMPARE(LocalFolder, QStringLiteral("/"));
        QCOMPARE(QDir::currentPath(), QStringLiteral("/"));
    }

    void chooserOpensAtTheLocalFolderOrTheWorkingDirectory()
    {
        TestEnv env;
        LocalFolder = env.root() + "/missing/";
        frmSetLocalDir missing;
        QCOMPARE(missing.SelectedFolder(), QDir::currentPath());
        LocalFolder = env.programFolder() + "/";
        frmSetLocalDir stored;
        QCOMPARE(stored.SelectedFolder(), env.programFolder());
        QCOMPARE(stored.lblSetLocalFolder->text(), env.programFolder());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
