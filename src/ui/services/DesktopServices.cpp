#include "DesktopServices.h"

#include "app/Services.h"
#include "transport/TlsSupport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

namespace DesktopServices {
namespace {

QString displayText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

class Messages : public MessageService
{
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setText(displayText(prompt));
        switch (style & kIconMask) {
        case vbCritical: box.setIcon(QMessageBox::Critical); break;
        case vbQuestion: box.setIcon(QMessageBox::Question); break;
        case vbExclamation: box.setIcon(QMessageBox::Warning); break;
        case vbInformation: box.setIcon(QMessageBox::Information); break;
        default: box.setIcon(QMessageBox::NoIcon);
        }
        QList<QPair<QMessageBox::StandardButton, int>> buttons;
        switch (style & kButtonsMask) {
        case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
        case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
        case vbRetryCancel:
            buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
            break;
        case vbYesNoCancel:
            buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo},
                       {QMessageBox::Cancel, vbCancel}};
            break;
        default: buttons = {{QMessageBox::Ok, vbOK}};
        }
        for (const auto& button : buttons)
            box.addButton(button.first);
        const int defaultIndex = (style & kDefaultMask) / vbDefaultButton2;
        if (defaultIndex < buttons.size())
            box.setDefaultButton(buttons.at(defaultIndex).first);
        // Escape answers like the last button (Cancel or No), as the
        // members are used to.
        box.setEscapeButton(buttons.last().first);
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        for (const auto& button : buttons)
            if (button.first == clicked)
                return button.second;
        return buttons.last().second;
    }

    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        bool ok = false;
        const QString answer =
            QInputDialog::getText(QApplication::activeWindow(), title, displayText(prompt),
                                  QLineEdit::Normal, defaultText, &ok);
        return ok ? answer : QString();
    }
};

class FileDialogs : public FileDialogService
{
public:
    QStringList openFileNames(const QString& title, const QString& folder, const QString& filter,
                              bool multiple) override
    {
        if (multiple)
            return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, folder,
                                                 filter);
        const QString file =
            QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
        return file.isEmpty() ? QStringList() : QStringList{file};
    }
};

class Shell : public ShellService
{
public:
    bool openFile(const QString& path) override { return OpenWithDesktop(path); }
    bool openFolder(const QString& path) override { return OpenWithDesktop(path); }
    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

class Pointer : public PointerService
{
public:
    void showBusy() override
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_depth;
    }
    void restore() override
    {
        if (m_depth > 0) {
            QApplication::restoreOverrideCursor();
            --m_depth;
        }
    }
    void setNormal() override
    {
        while (m_depth > 0)
            restore();
    }

private:
    int m_depth = 0;
};

// A certificate is trusted only by the member's own click; Cancel is the
// default and what closing the box means.
bool AskToTrustCertificate(const QString& question)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(AppTitle());
    box.setIcon(QMessageBox::Warning);
    box.setText(displayText(question));
    QPushButton* trust =
        box.addButton(QStringLiteral("Trust this certificate"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == trust;
}

} // namespace

bool OpenWithDesktop(const QString& path, int patienceMs)
{
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // Not parented: a program that xdg-open runs in its own place (a browser
    // of the fallback list) outlives this call, and the process object with it.
    auto* process = new QProcess;
    process->setProgram(xdgOpen);
    process->setArguments({path});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QEventLoop wait;
    QObject::connect(process, &QProcess::finished, &wait, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &wait, &QEventLoop::quit);
    QTimer::singleShot(patienceMs, &wait, &QEventLoop::quit);
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    wait.exec();
    // Still running: it is showing the file with a program it waits for.
    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
}

void Install()
{
    static Messages messages;
    static FileDialogs fileDialogs;
    static Shell shell;
    static Pointer pointer;
    InstallMessageService(&messages);
    InstallFileDialogService(&fileDialogs);
    InstallShellService(&shell);
    InstallPointerService(&pointer);
    SetTrustQuestion(AskToTrustCertificate);
}

} // namespace DesktopServices
