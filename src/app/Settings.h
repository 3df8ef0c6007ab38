#pragma once
// The per-user settings store of application "Skiff": text values addressed
// by section and key. A missing key yields the caller's default; nothing is
// ever deleted.

#include <QString>

namespace modSkiff {

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue);
void SaveSetting(const QString& section, const QString& key, const QString& value);
// A yes/no option is on exactly when its stored text is "Yes": "yes" or
// "YES", typed into the store by hand, count as off.
bool SettingIsYes(const QString& section, const QString& key, const QString& defaultValue);

// Where the store lives: by default "Skiff/Skiff.ini" in the user's config
// folder. Tests point each member at a file of its own.
QString SettingsFile();
void SetSettingsFile(const QString& path);
void FlushSettings();

// Keys are file names in sections Icons and FileVersions, and options that
// begin with "/" share section Icons with them. The store itself treats "/"
// and "\" as separators, so keys are escaped on the way in; this is the
// escaping, exposed for the tests that check it never collides.
QString EscapeSettingKey(const QString& key);

} // namespace modSkiff
