#pragma once
// Every entry point of the program (a button, a menu entry, a key, a
// window's event) runs through RunGuarded: an error that reaches it becomes
// a message box with the error's description, never the end of the program.
// The style is the one the operation's failure handling asks for;
// kErrorsIgnored is for the few handlers whose failure is of no consequence
// (a preview not current, a layout not redone) and shows nothing.

#include "Services.h"

#include <functional>

inline constexpr int kErrorsIgnored = -1;

void RunGuarded(const std::function<void()>& entry, int style = vbCritical);

class SkiffError;
// A transfer component's event that failed: the error in the program's
// communications-error box, followed by the window's advice.
void ShowCommunicationsError(const SkiffError& error, const QString& advice);

// The entry point as a slot, for connect().
template <typename Entry> auto Guarded(Entry entry, int style = vbCritical)
{
    return [entry, style](auto&&...) { RunGuarded(entry, style); };
}
