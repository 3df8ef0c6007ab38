#pragma once
// The start-up steps that need no window: they prepare the global state
// before the splash and login windows appear.

#include <QByteArray>
#include <QString>
#include <functional>

namespace StartupSteps {

// Sets ExternalEditorsFile beside the program and, when the file is missing,
// creates it with the text firstList gives (the editors installed here); an
// existing file is never touched.
void PrepareExternalEditorsFile(const std::function<QByteArray()>& firstList);
// NoReadOnly is true exactly when Settings/NoReadOnly is "Yes".
void ReadNoReadOnly();
// "/proxy" (case-sensitive) takes the rest of the command line, starting
// seven characters after its "/", as ProxyServer.
void ReadProxySwitch(const QString& commandLine);

} // namespace StartupSteps
