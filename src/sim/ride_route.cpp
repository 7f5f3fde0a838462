#include "ride_route.h"

#include "fuel_map.h"
#include "sim_random.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace velmora::sim {

namespace {

using namespace std::chrono_literals;

constexpr std::array<std::uint8_t, layout::kMapSide> kThrottleRows{0,  2,  5,  10, 20,
                                                                   30, 40, 60, 80, 100};
// An opening in each band the intake map's rows stand for.
constexpr std::array<std::uint8_t, layout::kMapSide> kIntakeRows{10, 20, 30, 40, 50,
                                                                 60, 70, 80, 90, 100};
constexpr int kColdCelsius = 20;
constexpr int kWarmCelsius = 85;
constexpr int kWarmUpStepCelsius = 5;
constexpr auto kWarmUpStep = 2s;
// A monitor reply comes every 330 ms: a hold gives a reading of six or more replies, and the
// first hold after an acceleration waits out its enrichment as well.
constexpr auto kShortestHold = 2000ms;
constexpr int kHoldSpreadMs = 600;
constexpr auto kAfterAcceleration = 1000ms;
constexpr auto kAccelerationStep = 100ms;
constexpr int kAccelerationSteps = 3;
constexpr auto kIdleStretch = 3s;
constexpr int kRowsBetweenIdles = 3;
constexpr std::uint16_t kIdleRpm = 1200;
constexpr unsigned kRpmPerAxisUnit = 100;

struct Part {
    FuelMap map;
    LoadMode mode;
    const std::array<std::uint8_t, layout::kMapSide> *rows;
};

// The other load sensor follows the one the maps are loaded from, roughly as on a real engine.
OperatingPoint loaded(LoadMode mode, std::uint8_t load, std::uint16_t rpm)
{
    OperatingPoint p;
    p.rpm = rpm;
    p.loadMode = mode;
    p.coolantCelsius = kWarmCelsius;
    if (mode == LoadMode::Throttle) {
        p.throttlePercent = load;
        p.intakePercent = static_cast<std::uint8_t>(25 + load * 7 / 10);
    } else {
        p.intakePercent = load;
        p.throttlePercent = static_cast<std::uint8_t>(std::max(0, load - 10));
    }
    return p;
}

class RouteBuilder {
public:
    RouteBuilder(const DeviceImage &image, std::uint64_t seed) : m_image(image), m_random(seed) {}

    Script build()
    {
        warmUp();
        for (const Part &part : {Part{FuelMap::Tp14, LoadMode::Throttle, &kThrottleRows},
                                 Part{FuelMap::Iap, LoadMode::IntakePressure, &kIntakeRows}})
            ride(part);
        idle(LoadMode::Throttle, kIdleStretch);
        return std::move(m_script);
    }

private:
    void add(const OperatingPoint &p, std::chrono::milliseconds duration)
    {
        m_script.steps.push_back({p, duration});
    }

    void idle(LoadMode mode, std::chrono::milliseconds duration, int coolant = kWarmCelsius)
    {
        OperatingPoint p = loaded(mode, mode == LoadMode::Throttle ? 0 : kIntakeRows[1], kIdleRpm);
        p.coolantCelsius = coolant;
        add(p, duration);
        m_lastLoad = mode == LoadMode::Throttle ? p.throttlePercent : p.intakePercent;
    }

    void warmUp()
    {
        for (int c = kColdCelsius; c < kWarmCelsius; c += kWarmUpStepCelsius)
            idle(LoadMode::Throttle, kWarmUpStep, c);
    }

    void ride(const Part &part)
    {
        const auto axis = m_image.run(speedAxisOffset(part.map), layout::kCurvePoints);
        std::array<std::size_t, layout::kMapSide> order{};
        std::iota(order.begin(), order.end(), 0);
        for (std::size_t i = order.size() - 1; i > 0; --i)
            std::swap(order[i], order[m_random.below(i + 1)]);
        bool upwards = m_random.below(2) == 0;
        int rows = 0;
        for (std::size_t row : order) {
            const std::uint8_t load = (*part.rows)[row];
            const bool accelerated =
                accelerate(part.mode, m_lastLoad, load, speed(axis, upwards ? 1 : axis.size() - 1));
            for (std::size_t k = 1; k < axis.size(); ++k) {
                const std::size_t column = upwards ? k : axis.size() - k;
                auto hold = kShortestHold + std::chrono::milliseconds(m_random.below(
                                                static_cast<std::uint64_t>(kHoldSpreadMs)));
                if (k == 1 && accelerated)
                    hold += kAfterAcceleration;
                add(loaded(part.mode, load, speed(axis, column)), hold);
            }
            m_lastLoad = load;
            upwards = !upwards;
            if (++rows % kRowsBetweenIdles == 0)
                idle(part.mode, kIdleStretch);
        }
    }

    // A rise in load comes quickly, as when the rider opens the throttle.
    bool accelerate(LoadMode mode, std::uint8_t from, std::uint8_t to, std::uint16_t rpm)
    {
        if (to <= from)
            return false;
        for (int i = 1; i < kAccelerationSteps; ++i)
            add(loaded(mode, static_cast<std::uint8_t>(from + (to - from) * i / kAccelerationSteps),
                       rpm),
                kAccelerationStep);
        return true;
    }

    static std::uint16_t speed(std::span<const std::uint8_t> axis, std::size_t column)
    {
        return static_cast<std::uint16_t>(axis[column] * kRpmPerAxisUnit);
    }

    const DeviceImage &m_image;
    SimRandom m_random;
    Script m_script;
    std::uint8_t m_lastLoad = 0;
};

} // namespace

Script rideRoute(const DeviceImage &image, std::uint64_t seed)
{
    return RouteBuilder(image, seed).build();
}

std::chrono::milliseconds scriptLength(const Script &script)
{
    std::chrono::milliseconds total{0};
    for (const ScriptStep &step : script.steps)
        total += step.duration;
    return total;
}

} // namespace velmora::sim
