#include "Settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace modSkiff {
namespace {

QString& settingsPath()
{
    static QString path;
    return path;
}

QSettings& store()
{
    static std::unique_ptr<QSettings> settings;
    static QString openedPath;
    const QString path = SettingsFile();
    if (!settings || openedPath != path) {
        if (settings)
            settings->sync();
        // The folder holds the trusted certificates, the administrators'
        // keys and the saved password's fall-back file: the member's alone.
        const QString folder = QFileInfo(path).absolutePath();
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        openedPath = path;
    }
    return *settings;
}

QString fullKey(const QString& section, const QString& key)
{
    return EscapeSettingKey(section) + QLatin1Char('/') + EscapeSettingKey(key);
}

} // namespace

QString EscapeSettingKey(const QString& key)
{
    if (key.isEmpty())
        return QStringLiteral("%00");
    QString escaped;
    escaped.reserve(key.size() + 8);
    for (const QChar c : key) {
        switch (c.unicode()) {
        case '%': escaped += QLatin1String("%25"); break;
        case '/': escaped += QLatin1String("%2F"); break;
        case '\\': escaped += QLatin1String("%5C"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

QString SettingsFile()
{
    QString& path = settingsPath();
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QLatin1String("/Skiff/Skiff.ini");
    return path;
}

void SetSettingsFile(const QString& path)
{
    FlushSettings();
    settingsPath() = path;
}

void FlushSettings()
{
    if (!settingsPath().isEmpty())
        store().sync();
}

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    const QVariant value = store().value(fullKey(section, key));
    if (!value.isValid())
        return defaultValue;
    // A hand-edited store may hold an unquoted "left,top", which the store
    // hands back as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SaveSetting(const QString& section, const QString& key, const QString& value)
{
    store().setValue(fullKey(section, key), value);
}

bool SettingIsYes(const QString& section, const QString& key, const QString& defaultValue)
{
    return GetSetting(section, key, defaultValue) == QLatin1String("Yes");
}

} // namespace modSkiff
