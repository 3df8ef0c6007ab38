#include "TestEnv.h"

#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.exists())
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

TestEnv::TestEnv(const QString& user, unsigned char level) : m_previousDir(QDir::currentPath())
{
    QDir().mkpath(programFolder());
    QDir().mkpath(localFolder());
    state.currentUser = user;
    state.currentLevel = level;
    state.localFolder = localFolder();
    state.externalEditorsFile = programFolder() + QStringLiteral("/external editors.ini");
    activate();
}

TestEnv::~TestEnv()
{
    QDir::setCurrent(m_previousDir);
    modSkiff::SetSettingsFile(QString());
    modSkiff::RestoreGlobalState({});
}

void TestEnv::activate()
{
    qputenv("SKIFF_PROGRAM_DIR", programFolder().toUtf8());
    modSkiff::SetSettingsFile(settingsFile());
    modSkiff::RestoreGlobalState(state);
    QDir::setCurrent(localFolder());
}

void TestEnv::capture() { state = modSkiff::SaveGlobalState(); }

void TestEnv::writeLocal(const QString& name, const QByteArray& bytes) const
{
    WriteFileBytes(localPath(name), bytes);
}

QByteArray TestEnv::readLocal(const QString& name) const { return ReadFileBytes(localPath(name)); }
