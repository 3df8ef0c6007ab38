#pragma once
// The few services every window uses that touch the desktop: message and
// input boxes, file dialogs, the busy pointer, the shell and ending the
// program. Code calls the free functions below; the desktop implementations
// are installed by the user interface at start-up, and tests install their
// own to answer dialogs from a queue and record what the program asked for.

#include <QString>
#include <QStringList>
#include <functional>

// Message box buttons, icons, default button and answers, as flags.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbRetry = 4, vbYes = 6, vbNo = 7 };

inline constexpr int kButtonsMask = 0x0F;
inline constexpr int kIconMask = 0xF0;
inline constexpr int kDefaultMask = 0xF00;

// The program's title, used when a message names none.
QString AppTitle();

class MessageService
{
public:
    virtual ~MessageService() = default;
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // Cancel and an empty answer both give "".
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
};

class FileDialogService
{
public:
    virtual ~FileDialogService() = default;
    // An empty list means the member cancelled.
    virtual QStringList openFileNames(const QString& title, const QString& folder,
                                      const QString& filter, bool multiple) = 0;
};

class ShellService
{
public:
    virtual ~ShellService() = default;
    // Opens a file with the desktop's default program for it; false when
    // no program took it.
    virtual bool openFile(const QString& path) = 0;
    // Shows a folder in the desktop's file manager; false when none did.
    virtual bool openFolder(const QString& path) = 0;
    // Starts a program with arguments, without waiting for it.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

class PointerService
{
public:
    virtual ~PointerService() = default;
    virtual void showBusy() = 0;
    virtual void restore() = 0;
    virtual void setNormal() = 0;
};

void InstallMessageService(MessageService* service);
void InstallFileDialogService(FileDialogService* service);
void InstallShellService(ShellService* service);
void InstallPointerService(PointerService* service);
// What ending the program at once does; tests record the call instead.
void InstallEndProgram(std::function<void()> handler);

int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());
QString InputBox(const QString& prompt, const QString& title = QString(),
                 const QString& defaultText = QString());
QStringList GetOpenFileNames(const QString& title, const QString& folder, const QString& filter,
                             bool multiple);
bool ShellOpenFile(const QString& path);
bool ShellOpenFolder(const QString& path);
// The same, telling the member when the desktop has no program for it (a
// bare window manager or a remote session), where otherwise nothing at all
// would happen on screen.
bool ShellOpenFileOrTell(const QString& path);
bool ShellOpenFolderOrTell(const QString& path);
bool ShellStartProgram(const QString& program, const QStringList& arguments);

// Ends the program at once, without closing windows one by one. Callers
// return right after it, since under test the call only records the wish.
void EndProgram();

// Shows the busy pointer for its lifetime and restores the previous one on
// every way out.
class BusyPointer
{
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// Sets the normal pointer, whatever busy pointers are still shown.
void SetNormalPointer();
