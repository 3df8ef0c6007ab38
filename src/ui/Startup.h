#pragma once
// The program's start: global state, splash, login, the lock-out, the local
// folder and the working directory, the web mirror folder and the main menu.

#include <QString>
#include <functional>

namespace Startup {

// The two windows start-up hands over to. Tests replace them.
struct Steps
{
    // Shows the login window modally; a successful login leaves CurrentUser set.
    std::function<void()> showLogin;
    // Shows the main menu, modeless.
    std::function<void()> showMainMenu;
};

// The windows of the real program.
Steps ProgramSteps();

// Runs the start-up steps in order. False when the program ends instead of
// reaching the main menu (EndProgram has then been called, or the local
// folder could not be entered).
bool Run(const QString& commandLine, const Steps& steps);

// The command line as one text, the way members type it after the program.
QString CommandLine(int argc, char* argv[]);

// The executable's entry point.
int Main(int argc, char* argv[]);

} // namespace Startup
