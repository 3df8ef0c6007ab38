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

bool readFromDesktop(QString* password)
{
    if (!desktopStoreRuns())
        return false;
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(kKey);
    if (finished(job)) {
        *password = job.textData();
        return true;
    }
    return job.error() == QKeychain::EntryNotFound;
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

void writeFallback(const QString& password)
{
    const QString path = FallbackFile();
    {
        // Made private before the password goes in.
        QFile file(path);
        if (file.open(QIODevice::ReadWrite))
            file.close();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    QSettings secrets(path, QSettings::IniFormat);
    if (password.isEmpty())
        secrets.remove(kPassword);
    else
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
    QString password;
    if (readFromDesktop(&password) && !password.isEmpty())
        return password;
    return QSettings(FallbackFile(), QSettings::IniFormat).value(kPassword).toString();
}

void SavePassword(const QString& password)
{
    if (writeToDesktop(password)) {
        writeFallback(QString()); // none left behind from a time without the store
        return;
    }
    writeFallback(password);
}

} // namespace SecretStore
