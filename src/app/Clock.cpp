#include "Clock.h"

namespace Clock {
namespace {

std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> current;
    return current;
}

} // namespace

QDateTime Now() { return source() ? source()() : QDateTime::currentDateTime(); }

void SetSource(std::function<QDateTime()> newSource) { source() = std::move(newSource); }

} // namespace Clock
