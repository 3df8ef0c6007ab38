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

    // The "/proxy" switch of the command line, and NoReadOnly exactly "Yes".
    void commandLineAndStoredChoices_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("proxy");
        QTest::addColumn<QString>("stored"); // NoReadOnly; null = never stored
        QTest::addColumn<bool>("noReadOnly");
        QTest::newRow("switch, Yes") << "/proxy myproxy:8080"
                                     << "myproxy:8080"
                                     << "Yes" << true;
        QTest::newRow("after other words, yes") << "-x /proxy host:3128"
                                                << "host:3128"
                                                << "yes" << false;
        QTest::newRow("capitals ignored, No") << "/PROXY myproxy:8080"
                                              << ""
                                              << "No" << false;
        QTest::newRow("at the very end") << "/proxy"
                                         << "" << QString() << false;
        QTest::newRow("nothing trimmed") << "/proxy  spaced:1 "
                                         << " spaced:1 "
                                         << "YES" << false;
    }
    void commandLineAndStoredChoices()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, proxy);
        QFETCH(QString, stored);
        QFETCH(bool, noReadOnly);
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        if (!stored.isNull())
            SaveSetting("Settings", "NoReadOnly", stored);
        NoReadOnly = !noReadOnly;
        FakeLogin login;
        QVERIFY(Startup::Run(commandLine, login.steps()));
        QCOMPARE(ProxyServer, proxy);
        QCOMPARE(NoReadOnly, noReadOnly);
    }

    void splashShowsDuringLoginAndClosesAtTheEnd()
    {
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        QVERIFY(login.splashVisibleDuringLogin);
        QCOMPARE(login.splashVersion, "Version 2.0.3");
        QVERIFY(login.mainMenuShown);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frmSplash::Current() == nullptr);
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
        QFETCH(int, level);
        QFETCH(bool, admitted);
        TestEnv env;
        ScriptedServices services;
        storeLocalFolder(env);
        FakeLogin login;
        login.level = static_cast<unsigned char>(level);
        if (!admitted)
            services.expect("Sorry, you've been locked out.", vbOKOnly);
        QCOMPARE(Startup::Run(QString(), login.steps()), admitted);
        QCOMPARE(login.mainMenuShown, admitted);
        QCOMPARE(services.endProgramCalls, admitted ? 0 : 1);
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
            services.expect("Set Local Folder to " + offered + "/ ?", vbYesNo, vbYes);
            chooser->cmdSetLocalDir->click();
        });
        FakeLogin login;
        QVERIFY(Startup::Run(QString(), login.steps()));
        QVERIFY(QFileInfo(offered).isDir());
        QCOMPARE(selected + "|" + labelShown, offered + "|" + offered);
        QCOMPARE(GetSetting("Settings", "LocalFolder", "") + "|" + LocalFolder,
                 offered + "/|" + offered + "/");
        QCOMPARE(QDir::currentPath(), offered);
        QVERIFY(QFileInfo(offered + "/WebPage").isDir());
        QVERIFY(login.mainMenuShown);
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

        // Chosen: start-up goes on in the new folder.
        services.clear();
        QDir().mkpath(env.root() + "/chosen");
        bool keptOpen = false;
        WhenShown<frmSetLocalDir>([&](frmSetLocalDir* chooser) {
            chooser->SelectFolder(env.root() + "/chosen");
            // No keeps it open with the same selection.
            services.answer(vbNo);
            chooser->cmdSetLocalDir->click();
            keptOpen = chooser->isVisible() && chooser->SelectedFolder() == env.root() + "/chosen";
            services.answer(vbYes);
            chooser->cmdSetLocalDir->click();
        });
        QVERIFY(Startup::Run(QString(), login.steps()));
        QVERIFY(keptOpen);
        QCOMPARE(QDir::currentPath(), env.root() + "/chosen");
        QVERIFY(QFileInfo(env.root() + "/chosen/WebPage").isDir());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
