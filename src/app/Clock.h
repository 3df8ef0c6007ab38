#pragma once
// The date and time the program stamps on what it writes, and the clock that
// times how long something has lasted. Tests set fixed readings so that a
// post "at 15:07" needs no waiting for 15:07, nor a lock two minutes old
// two minutes of waiting.

#include <QDateTime>
#include <functional>

namespace Clock {

// The local date and time now.
QDateTime Now();
// Replaces the system clock; an empty function puts the system clock back.
void SetSource(std::function<QDateTime()> source);

// Milliseconds on a clock that never goes back (not the date: a member's
// date may be changed under a running program).
qint64 SteadyMs();
// Replaces the steady clock; an empty function puts the system's back.
void SetSteadySource(std::function<qint64()> source);

} // namespace Clock
