#pragma once
// Test doubles for the desktop services: message and input boxes answered
// from a queue and recorded, file dialogs answered from a queue, shell
// requests and the end of the program recorded.
//
// Strict: a message box or input box with no answer queued for it fails the
// running test (it is still answered with its default button or text, so
// the code under test goes on). Every box a test expects gets an answer.

#include "app/Services.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <optional>

struct ShownMessage
{
    enum Kind { Message, Input } kind = Message;
    QString prompt;
    int style = 0;
    QString title;
    QString defaultText;
    int buttons() const { return style & kButtonsMask; }
    int icon() const { return style & kIconMask; }
    int defaultButton() const { return style & kDefaultMask; }
};

struct ShellRequest
{
    enum Kind { OpenFile, OpenFolder, StartProgram } kind = OpenFile;
    QString path;
    QStringList arguments;
};

class ScriptedServices : public MessageService, public FileDialogService, public ShellService
{
public:
    // Installs itself for its lifetime.
    ScriptedServices();
    ~ScriptedServices() override;

    // Answers for the next message boxes (vbYes, vbNo, vbOK, vbCancel) and
    // input boxes, in order.
    void answer(int result) { m_answers.enqueue({result, std::nullopt, std::nullopt}); }
    void answerInput(const QString& text) { m_inputs.enqueue(text); }
    void answerFiles(const QStringList& files) { m_files.enqueue(files); }
    // Answers the next message box, which must show exactly this prompt (and
    // this style of buttons, icon and default button, when given); a
    // different box fails the test.
    void expect(const QString& prompt, int style, int result = vbOK)
    {
        m_answers.enqueue({result, prompt, style});
    }
    // Runs just before the next message box answers, e.g. to look at a
    // window while the box is "on screen".
    void onNextMessage(std::function<void()> action) { m_hooks.enqueue(std::move(action)); }

    QList<ShownMessage> shown;
    QList<ShellRequest> shell;
    // Whether the desktop has a program for the files and folders opened.
    bool desktopOpens = true;
    int endProgramCalls = 0;

    QStringList prompts() const;
    ShownMessage last() const { return shown.isEmpty() ? ShownMessage() : shown.last(); }
    // Answers queued for boxes that have not appeared (yet).
    int pendingAnswers() const { return int(m_answers.size() + m_inputs.size()); }
    void clear();

    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QStringList openFileNames(const QString& title, const QString& folder, const QString& filter,
                              bool multiple) override;
    bool openFile(const QString& path) override;
    bool openFolder(const QString& path) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

private:
    struct Answer
    {
        int result;
        std::optional<QString> prompt;
        std::optional<int> style;
    };
    void runHook();

    QQueue<Answer> m_answers;
    QQueue<QString> m_inputs;
    QQueue<QStringList> m_files;
    QQueue<std::function<void()>> m_hooks;
};
