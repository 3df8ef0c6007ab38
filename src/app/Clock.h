#pragma once
// The date and time the program stamps on what it writes. Tests set a fixed
// reading so that a post "at 15:07" needs no waiting for 15:07.

#include <QDateTime>
#include <functional>

namespace Clock {

// The local date and time now.
QDateTime Now();
// Replaces the system clock; an empty function puts the system clock back.
void SetSource(std::function<QDateTime()> source);

} // namespace Clock
