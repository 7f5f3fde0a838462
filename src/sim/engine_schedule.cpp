#include "engine_schedule.h"

#include <cmath>

namespace velmora::sim {

namespace {

using namespace std::chrono_literals;

OperatingPoint scriptPoint(const Script &script, EngineTime elapsed)
{
    if (script.steps.empty())
        return {};
    EngineTime total{0};
    for (const ScriptStep &step : script.steps)
        total += step.duration;
    if (total <= EngineTime{0})
        return script.steps.back().point;
    if (elapsed >= total) {
        if (!script.repeat)
            return script.steps.back().point;
        elapsed %= total;
    }
    for (const ScriptStep &step : script.steps) {
        if (elapsed < step.duration)
            return step.point;
        elapsed -= step.duration;
    }
    return script.steps.back().point;
}

template <typename T> T between(T from, T to, double fraction)
{
    const double value = from + (static_cast<double>(to) - from) * fraction;
    return static_cast<T>(std::lround(value));
}

OperatingPoint sweepPoint(const Sweep &sweep, EngineTime elapsed)
{
    const EngineTime leg = sweep.duration;
    if (leg <= EngineTime{0})
        return sweep.from;
    const EngineTime intoRound = elapsed % (2 * leg);
    const EngineTime fromStart = intoRound < leg ? intoRound : 2 * leg - intoRound;
    const double fraction = static_cast<double>(fromStart.count()) / leg.count();

    OperatingPoint p = sweep.from;
    p.rpm = between(sweep.from.rpm, sweep.to.rpm, fraction);
    p.throttlePercent = between(sweep.from.throttlePercent, sweep.to.throttlePercent, fraction);
    p.intakePercent = between(sweep.from.intakePercent, sweep.to.intakePercent, fraction);
    return p;
}

} // namespace

EngineSchedule EngineSchedule::held(const OperatingPoint &point)
{
    return EngineSchedule(point);
}

EngineSchedule EngineSchedule::scripted(Script script)
{
    return EngineSchedule(std::move(script));
}

EngineSchedule EngineSchedule::swept(const Sweep &sweep)
{
    return EngineSchedule(sweep);
}

Sweep idleDrift()
{
    Sweep s;
    s.from.rpm = 1250;
    s.from.intakePercent = 33;
    s.to = s.from;
    s.to.rpm = 1450;
    s.to.throttlePercent = 1;
    s.to.intakePercent = 37;
    s.duration = 4s;
    return s;
}

Sweep demoRide()
{
    Sweep s;
    s.from.rpm = 1500;
    s.from.throttlePercent = 2;
    s.from.intakePercent = 30;
    s.to = s.from;
    s.to.rpm = 4500;
    s.to.throttlePercent = 25;
    s.to.intakePercent = 60;
    s.duration = 30s;
    return s;
}

OperatingPoint EngineSchedule::at(EngineTime elapsed) const
{
    if (elapsed < EngineTime{0})
        elapsed = EngineTime{0};
    if (const auto *point = std::get_if<OperatingPoint>(&m_plan))
        return *point;
    if (const auto *script = std::get_if<Script>(&m_plan))
        return scriptPoint(*script, elapsed);
    return sweepPoint(std::get<Sweep>(m_plan), elapsed);
}

} // namespace velmora::sim
