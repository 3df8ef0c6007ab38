#include "GlobalState.h"

namespace modSkiff {

QString CurrentUser;
unsigned char CurrentLevel = 0;
QString LocalFolder;
bool NoReadOnly = false;
QString ProxyServer;
QString ExternalEditorsFile;

GlobalState SaveGlobalState()
{
    return {CurrentUser, CurrentLevel, LocalFolder, NoReadOnly, ProxyServer, ExternalEditorsFile};
}

void RestoreGlobalState(const GlobalState& state)
{
    CurrentUser = state.currentUser;
    CurrentLevel = state.currentLevel;
    LocalFolder = state.localFolder;
    NoReadOnly = state.noReadOnly;
    ProxyServer = state.proxyServer;
    ExternalEditorsFile = state.externalEditorsFile;
}

} // namespace modSkiff
