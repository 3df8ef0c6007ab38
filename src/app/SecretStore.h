#pragma once
// The member's saved password, kept out of the settings file: in the
// desktop's secret store when one runs (Qt Keychain over the session's
// D-Bus), otherwise in "secrets.ini" beside the settings, which only the
// member may read or write (mode 0600). A password the store refused waits
// in that file and moves into the store once the store takes it.

#include <QString>

namespace SecretStore {

QString SavedPassword();
// An empty password removes the saved one.
void SavePassword(const QString& password);
// The file used when no secret store runs.
QString FallbackFile();

} // namespace SecretStore
