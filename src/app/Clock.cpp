#include "Clock.h"

#include <QDeadlineTimer>

namespace Clock {
namespace {

std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> current;
    return current;
}

std::function<qint64()>& steadySource()
{
    static std::function<qint64()> current;
    return current;
}

} // namespace

QDateTime Now() { return source() ? source()() : QDateTime::currentDateTime(); }

void SetSource(std::function<QDateTime()> newSource) { source() = std::move(newSource); }

qint64 SteadyMs()
{
    return steadySource() ? steadySource()() : QDeadlineTimer::current().deadline();
}

void SetSteadySource(std::function<qint64()> newSource) { steadySource() = std::move(newSource); }

} // namespace Clock
