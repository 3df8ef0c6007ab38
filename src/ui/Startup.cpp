#include "Startup.h"

#include "frmSetLocalDir.h"
#include "Resources.h"
#include "frmLogin.h"
#include "frmMainMenu.h"
#include "frmSplash.h"
#include "services/DesktopServices.h"

#include "app/MemberLevel.h"
#include "app/AppPaths.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/StartupSteps.h"
#include "editors/InstalledEditors.h"

#include <QApplication>
#include <QDir>
#include <QPointer>

#include <unistd.h>

namespace Startup {
namespace {

void showLocalFolderChooser()
{
    frmSetLocalDir chooser;
    chooser.exec();
}

bool enterLocalFolder()
{
    return !modSkiff::LocalFolder.isEmpty() && QDir::setCurrent(modSkiff::LocalFolder);
}

} // namespace

Steps ProgramSteps()
{
    Steps steps;
    steps.showLogin = [] {
        frmLogin login;
        login.exec();
    };
    steps.showMainMenu = [] { (new frmMainMenu)->show(); };
    return steps;
}

bool Run(const QString& commandLine, const Steps& steps)
{
    using namespace modSkiff;

    StartupSteps::PrepareExternalEditorsFile(InstalledEditors::FirstRunList);
    StartupSteps::ReadNoReadOnly();
    StartupSteps::ReadProxySwitch(commandLine);

    QPointer<frmSplash> splash = new frmSplash;
    splash->show();

    steps.showLogin();
    if (CurrentUser.isEmpty()) {
        delete splash;
        EndProgram();
        return false;
    }
    if (!MemberLevel::MaySignIn(CurrentLevel)) {
        MsgBox(QStringLiteral("Sorry, you've been locked out."), vbOKOnly);
        delete splash;
        EndProgram();
        return false;
    }

    LocalFolder = GetSetting(QStringLiteral("Settings"), QStringLiteral("LocalFolder"), QString());
    if (LocalFolder.isEmpty()) {
        const QString programFolder = AppPaths::ProgramFolder();
        QDir(programFolder).mkdir(QStringLiteral("Local Folder"));
        LocalFolder = programFolder + QStringLiteral("/Local Folder/");
        showLocalFolderChooser();
    }
    if (LocalFolder.isEmpty()) {
        delete splash;
        EndProgram();
        return false;
    }
    if (!enterLocalFolder()) {
        showLocalFolderChooser();
        if (!enterLocalFolder()) {
            delete splash;
            EndProgram();
            return false;
        }
    }

    QDir::current().mkdir(QStringLiteral("WebPage"));
    steps.showMainMenu();
    delete splash;
    return true;
}

QString CommandLine(int argc, char* argv[])
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words.join(QLatin1Char(' '));
}

int Main(int argc, char* argv[])
{
    // The preview's web engine shares its drawing contexts with the windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox cannot run as root and would end the whole
    // program on the first preview; a member running as root gets previews
    // without it rather than a crash.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    InitResources();
    QApplication::setApplicationName(QStringLiteral("Skiff"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.3"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/skiff.svg")));
    // Lets the desktop match the windows with the installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("skiff"));
    QApplication::setQuitOnLastWindowClosed(true);
    DesktopServices::Install();

    if (!Run(CommandLine(argc, argv), ProgramSteps()))
        return 0;
    const int result = app.exec();
    modSkiff::FlushSettings();
    return result;
}

} // namespace Startup
