#pragma once
// The start-up steps that need no window: they prepare the global state
// before the splash and login windows appear.

#include <QString>

namespace StartupSteps {

// Sets ExternalEditorsFile beside the program and creates the file with the
// default editors when it is missing; an existing file is never touched.
void PrepareExternalEditorsFile();
// NoReadOnly is true exactly when Settings/NoReadOnly is "Yes".
void ReadNoReadOnly();
// "/proxy" (case-sensitive) takes the rest of the command line, starting
// seven characters after its "/", as ProxyServer.
void ReadProxySwitch(const QString& commandLine);

} // namespace StartupSteps
