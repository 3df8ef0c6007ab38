#include "ScriptedServices.h"

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
    m_answers.clear();
    m_inputs.clear();
    m_files.clear();
    m_hooks.clear();
}

int ScriptedServices::msgBox(const QString& prompt, int style, const QString& title)
{
    shown.append({ShownMessage::Message, prompt, style, title, QString()});
    if (!m_hooks.isEmpty())
        m_hooks.dequeue()();
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    const int buttons = style & kButtonsMask;
    const int second = (style & kDefaultMask) == vbDefaultButton2;
    const int third = (style & kDefaultMask) == vbDefaultButton3;
    switch (buttons) {
    case vbOKCancel: return second ? vbCancel : vbOK;
    case vbYesNo: return second ? vbNo : vbYes;
    case vbYesNoCancel: return third ? vbCancel : (second ? vbNo : vbYes);
    default: return vbOK;
    }
}

QString ScriptedServices::inputBox(const QString& prompt, const QString& title,
                                   const QString& defaultText)
{
    shown.append({ShownMessage::Input, prompt, 0, title, defaultText});
    if (!m_hooks.isEmpty())
        m_hooks.dequeue()();
    return m_inputs.isEmpty() ? defaultText : m_inputs.dequeue();
}

QStringList ScriptedServices::openFileNames(const QString&, const QString&, const QString&, bool)
{
    return m_files.isEmpty() ? QStringList() : m_files.dequeue();
}

void ScriptedServices::openFile(const QString& path)
{
    shell.append({ShellRequest::OpenFile, path, {}});
}

void ScriptedServices::openFolder(const QString& path)
{
    shell.append({ShellRequest::OpenFolder, path, {}});
}

bool ScriptedServices::startProgram(const QString& program, const QStringList& arguments)
{
    shell.append({ShellRequest::StartProgram, program, arguments});
    return true;
}
