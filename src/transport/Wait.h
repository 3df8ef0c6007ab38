#pragma once

#include <QString>

class Inet;

namespace Wait {

// Lets window events run until the component is idle, sleeping in the event
// loop in between (no busy spinning).
void UntilIdle(Inet& inet);
// Runs one command on the component and waits until it is idle.
void ExecuteAndWait(Inet& inet, const QString& command);
// The same, but gives up after the given time; true when the component is idle.
bool UntilIdleAtMost(Inet& inet, int milliseconds);
// Lets window events run for the given time, sleeping in the event loop.
void Pause(int milliseconds);
// Ends the component's session ("QUIT") for a window that is closing, giving
// a hung server at most the given time.
bool QuitAtMost(Inet& inet, int milliseconds);
// Lets pending window events run once.
void DoEvents();

} // namespace Wait
