#pragma once

#include "operating_point.h"

#include <chrono>
#include <variant>
#include <vector>

namespace velmora::sim {

using EngineTime = std::chrono::microseconds;

struct ScriptStep {
    OperatingPoint point;
    std::chrono::milliseconds duration{0};

    friend bool operator==(const ScriptStep &, const ScriptStep &) = default;
};

struct Script {
    std::vector<ScriptStep> steps;
    bool repeat = false; // otherwise the last step holds once the script has run through

    friend bool operator==(const Script &, const Script &) = default;
};

// Speed and load ramp from `from` to `to` in `duration`, then back, over and over: a ramp that
// jumped back would cross every cell in one reply. Everything else is taken from `from`.
struct Sweep {
    OperatingPoint from;
    OperatingPoint to;
    std::chrono::milliseconds duration{1000};

    friend bool operator==(const Sweep &, const Sweep &) = default;
};

// A warm idle that drifts a little, so that a monitor looks alive.
Sweep idleDrift();
// A slow ride through a few cells of every map, so that the live cells move.
Sweep demoRide();

// How the operating point moves with time: held, stepped through or swept. Time is handed in,
// never read from a clock, so a test can run an hour of sweeping in no time.
class EngineSchedule {
public:
    EngineSchedule() = default;
    static EngineSchedule held(const OperatingPoint &point);
    static EngineSchedule scripted(Script script);
    static EngineSchedule swept(const Sweep &sweep);

    OperatingPoint at(EngineTime elapsed) const;

    bool isHeld() const { return std::holds_alternative<OperatingPoint>(m_plan); }

    friend bool operator==(const EngineSchedule &, const EngineSchedule &) = default;

private:
    explicit EngineSchedule(std::variant<OperatingPoint, Script, Sweep> plan)
        : m_plan(std::move(plan))
    {}

    std::variant<OperatingPoint, Script, Sweep> m_plan;
};

} // namespace velmora::sim
