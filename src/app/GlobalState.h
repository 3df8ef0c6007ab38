#pragma once
// Program-wide state of the main module: set at start-up and by login,
// read everywhere.

#include <QString>

namespace modSkiff {

extern QString CurrentUser;         // signed-in nickname as stored in the user file; "" = nobody
extern unsigned char CurrentLevel;  // 1 locked out, 2 read only, 3 full access, 4 administrator
extern QString LocalFolder;         // ends with the folder separator once chosen
extern bool NoReadOnly;             // never mark local shared files read-only
extern QString ProxyServer;         // "host:port", "" = direct
extern QString ExternalEditorsFile; // full path of "external editors.ini"

// A snapshot of the whole state. Tests run two members in one process and
// switch between them with this; the program itself never needs it.
struct GlobalState
{
    QString currentUser;
    unsigned char currentLevel = 0;
    QString localFolder;
    bool noReadOnly = false;
    QString proxyServer;
    QString externalEditorsFile;
};

GlobalState SaveGlobalState();
void RestoreGlobalState(const GlobalState& state);

} // namespace modSkiff
