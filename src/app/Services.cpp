#include "Services.h"

#include "Settings.h"

#include <unistd.h>

namespace {

MessageService* g_messages = nullptr;
FileDialogService* g_fileDialogs = nullptr;
ShellService* g_shell = nullptr;
PointerService* g_pointer = nullptr;

std::function<void()>& endProgramHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

QString AppTitle() { return QStringLiteral("Skiff"); }

void InstallMessageService(MessageService* service) { g_messages = service; }
void InstallFileDialogService(FileDialogService* service) { g_fileDialogs = service; }
void InstallShellService(ShellService* service) { g_shell = service; }
void InstallPointerService(PointerService* service) { g_pointer = service; }
void InstallEndProgram(std::function<void()> handler) { endProgramHandler() = std::move(handler); }

int MsgBox(const QString& prompt, int style, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? AppTitle() : title;
    if (g_messages)
        return g_messages->msgBox(prompt, style, shownTitle);
    qWarning("Skiff: %s", qPrintable(prompt));
    const int buttons = style & kButtonsMask;
    return buttons == vbYesNo || buttons == vbYesNoCancel ? vbYes : vbOK;
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    const QString shownTitle = title.isEmpty() ? AppTitle() : title;
    return g_messages ? g_messages->inputBox(prompt, shownTitle, defaultText) : defaultText;
}

QStringList GetOpenFileNames(const QString& title, const QString& folder, const QString& filter,
                             bool multiple)
{
    return g_fileDialogs ? g_fileDialogs->openFileNames(title, folder, filter, multiple)
                         : QStringList();
}

bool ShellOpenFile(const QString& path)
{
    return g_shell && g_shell->openFile(path);
}

bool ShellOpenFolder(const QString& path)
{
    return g_shell && g_shell->openFolder(path);
}

bool ShellOpenFileOrTell(const QString& path)
{
    if (ShellOpenFile(path))
        return true;
    MsgBox(QStringLiteral("No program on this desktop could open ") + path +
               QStringLiteral(".  Open it from a program of your choice."),
           vbExclamation);
    return false;
}

bool ShellOpenFolderOrTell(const QString& path)
{
    if (ShellOpenFolder(path))
        return true;
    MsgBox(QStringLiteral("No file manager on this desktop could show the folder ") + path +
               QStringLiteral("."),
           vbExclamation);
    return false;
}

bool ShellStartProgram(const QString& program, const QStringList& arguments)
{
    return g_shell && g_shell->startProgram(program, arguments);
}

void EndProgram()
{
    if (endProgramHandler()) {
        endProgramHandler()();
        return;
    }
    modSkiff::FlushSettings();
    fflush(nullptr);
    _exit(0);
}

BusyPointer::BusyPointer()
{
    if (g_pointer)
        g_pointer->showBusy();
}

BusyPointer::~BusyPointer()
{
    if (g_pointer)
        g_pointer->restore();
}

void SetNormalPointer()
{
    if (g_pointer)
        g_pointer->setNormal();
}
