#include "ScriptedServices.h"

#include <QtTest>

namespace {

// Fails the running test; outside one (a benchmark) it is only a warning.
void Unexpected(const QString& what)
{
    if (QTest::currentTestFunction())
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    else
        qWarning("%s", qPrintable(what));
}

int DefaultButton(int style)
{
    const bool second = (style & kDefaultMask) == vbDefaultButton2;
    const bool third = (style & kDefaultMask) == vbDefaultButton3;
    switch (style & kButtonsMask) {
    case vbOKCancel:
        return second ? vbCancel : vbOK;
    case vbYesNo:
        return second ? vbNo : vbYes;
    case vbYesNoCancel:
        return third ? vbCancel : (second ? vbNo : vbYes);
    default:
        return vbOK;
    }
}

} // namespace

ScriptedServices::ScriptedServices()
{
    InstallMessageService(this);
    InstallFileDialogService(this);
    InstallShellService(this);
    InstallEndProgram([this] { ++endProgramCalls; });
}

ScriptedServices::~ScriptedServices()
{
    InstallMessageService(nullptr);
    InstallFileDialogService(nullptr);
    InstallShellService(nullptr);
    InstallEndProgram({});
}

QStringList ScriptedServices::prompts() const
{
    QStringList texts;
    for (const ShownMessage& message : shown)
        texts << message.prompt;
    return texts;
}

void ScriptedServices::clear()
{
    shown.clear();
    shell.clear();
    endProgramCalls = 0;
    desktopOpens = true;
    m_answers.clear();
    m_inputs.clear();
    m_files.clear();
    m_hooks.clear();
}

void ScriptedServices::runHook()
{
    if (!m_hooks.isEmpty())
        m_hooks.dequeue()();
}

int ScriptedServices::msgBox(const QString& prompt, int style, const QString& title)
{
    shown.append({ShownMessage::Message, prompt, style, title, QString()});
    runHook();
    if (m_answers.isEmpty()) {
        Unexpected(QStringLiteral("A message box nobody expected: ") + prompt);
        return DefaultButton(style);
    }
    const Answer answer = m_answers.dequeue();
    if (answer.prompt && *answer.prompt != prompt)
        Unexpected(QStringLiteral("Expected the message box\n  %1\nbut it said\n  %2")
                       .arg(*answer.prompt, prompt));
    else if (answer.style && *answer.style != style)
        Unexpected(QStringLiteral("The message box \"%1\" has style %2, expected %3")
                       .arg(prompt)
                       .arg(style)
                       .arg(*answer.style));
    return answer.result;
}

QString ScriptedServices::inputBox(const QString& prompt, const QString& title,
                                   const QString& defaultText)
{
    shown.append({ShownMessage::Input, prompt, 0, title, defaultText});
    runHook();
    if (m_inputs.isEmpty()) {
        Unexpected(QStringLiteral("An input box nobody expected: ") + prompt);
        return defaultText;
    }
    return m_inputs.dequeue();
}

QStringList ScriptedServices::openFileNames(const QString&, const QString&, const QString&, bool)
{
    return m_files.isEmpty() ? QStringList() : m_files.dequeue();
}

bool ScriptedServices::openFile(const QString& path)
{
    shell.append({ShellRequest::OpenFile, path, {}});
    return desktopOpens;
}

bool ScriptedServices::openFolder(const QString& path)
{
    shell.append({ShellRequest::OpenFolder, path, {}});
    return desktopOpens;
}

bool ScriptedServices::startProgram(const QString& program, const QStringList& arguments)
{
    shell.append({ShellRequest::StartProgram, program, arguments});
    return true;
}
