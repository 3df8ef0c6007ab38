#include "SecretStore.h"

#include "Settings.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <qt6keychain/keychain.h>

namespace SecretStore {
namespace {

const QString kService = QStringLiteral("Skiff");
const QString kKey = QStringLiteral("member password");
const QString kLogin = QStringLiteral("Login");
const QString kPassword = QStringLiteral("Password");

// Without a session bus nobody answers, and asking would only wait.
bool desktopStoreRuns()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

// Runs a job to its end; false when the store did not do it.
bool finished(QKeychain::Job& job)
{
    QEventLoop loop;
    job.setAutoDelete(false);
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError;
}

// Empty when the store holds none or does not answer.
QString readFromDesktop()
{
    if (!desktopStoreRuns())
        return QString();
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(kKey);
    return finished(job) ? job.textData() : QString();
}

bool writeToDesktop(const QString& password)
{
    if (!desktopStoreRuns())
        return false;
    if (password.isEmpty()) {
        QKeychain::DeletePasswordJob job(kService);
        job.setKey(kKey);
        return finished(job) || job.error() == QKeychain::EntryNotFound;
    }
    QKeychain::WritePasswordJob job(kService);
    job.setKey(kKey);
    job.setTextData(password);
    return finished(job);
}

QString readFallback()
{
    return QSettings(FallbackFile(), QSettings::IniFormat).value(kPassword).toString();
}

// An empty password removes the file: it holds nothing else.
void writeFallback(const QString& password)
{
    const QString path = FallbackFile();
    if (password.isEmpty()) {
        QFile::remove(path);
        return;
    }
    {
        // Made private before the password goes in.
        QFile file(path);
        if (file.open(QIODevice::ReadWrite))
            file.close();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    QSettings secrets(path, QSettings::IniFormat);
    secrets.setValue(kPassword, password);
    secrets.sync();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

QString FallbackFile()
{
    return QFileInfo(modSkiff::SettingsFile()).absolutePath() + QStringLiteral("/secrets.ini");
}

QString SavedPassword()
{
    // Earlier versions kept it in the settings file: moved out on sight.
    const QString old = modSkiff::GetSetting(kLogin, kPassword, QString());
    if (!old.isEmpty()) {
        SavePassword(old);
        modSkiff::SaveSetting(kLogin, kPassword, QString());
        return old;
    }
    // The file only holds a password the store refused, newer than any the
    // store keeps; it moves in once the store takes it.
    const QString waiting = readFallback();
    if (!waiting.isEmpty()) {
        if (writeToDesktop(waiting))
            writeFallback(QString());
        return waiting;
    }
    return readFromDesktop();
}

void SavePassword(const QString& password)
{
    // No copy stays behind in the file once the store holds it.
    writeFallback(writeToDesktop(password) ? QString() : password);
}

} // namespace SecretStore
