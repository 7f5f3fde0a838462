#include "engine.h"

#include "injection.h"
#include "sensor_scale.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

// NAP_PRIV holds the servo position in 20 mV steps.
constexpr double kServoMvPerStep = 20.0;

// Order of the correction words in the reply.
constexpr std::size_t kCoolantCorrection = 0;
constexpr std::size_t kAirCorrection = 1;

std::int16_t correctionTenths(unsigned percent)
{
    return static_cast<std::int16_t>((static_cast<int>(percent) - 100) * 10);
}

std::uint8_t cellPercent(const DeviceImage &image, const MapCell &cell)
{
    return image[mapOffset(cell.map) + cell.index()];
}

LoadInput loadInput(const OperatingPoint &p, bool throttleLoad)
{
    return {p.rpm, p.throttlePercent, p.intakePercent, throttleLoad};
}

} // namespace

void Engine::setSchedule(EngineSchedule schedule)
{
    m_schedule = std::move(schedule);
    m_elapsed = EngineTime{0};
}

void Engine::advance(EngineTime dt)
{
    if (dt > EngineTime{0})
        m_elapsed += dt;
}

bool Engine::throttleLoad(const DeviceImage &image) const
{
    switch (point().loadMode) {
    case LoadMode::Throttle:
        return true;
    case LoadMode::IntakePressure:
        return false;
    case LoadMode::FromImage:
        break;
    }
    // The TP mode only couples or splits the two throttle maps; the unit runs on them unless
    // told to take its load from the intake pressure.
    (void)image;
    return true;
}

LiveCells Engine::liveCells(const DeviceImage &image) const
{
    return findLiveCells(image, loadInput(point(), throttleLoad(image)));
}

MapCell Engine::lambdaCell(const DeviceImage &image) const
{
    const bool tp = throttleLoad(image);
    return cellOf(image, tp ? m_tpLambdaMap : FuelMap::Iap, loadInput(point(), tp));
}

double Engine::fuelRatio(const DeviceImage &image) const
{
    if (point().rpm == 0)
        return 0.0;
    const MapCell cell = lambdaCell(image);
    return cellPercent(image, cell) / m_requirement.at(cell.map, cell.index());
}

LiveState Engine::state(const DeviceImage &image) const
{
    const OperatingPoint p = point();
    const bool tp = throttleLoad(image);
    const LiveCells cells = liveCells(image);
    const bool running = p.rpm > 0;

    LiveState s;
    s.rpm = p.rpm;
    s.ambientPressure = static_cast<std::uint16_t>(std::lround(std::max(p.ambientKpa, 0.0) * 10));
    s.ambientPressureCount = ambientPressureCount(p.ambientKpa);
    s.intakePressureCount = intakePressureCount(p.intakePercent);
    s.throttleCount = throttleCount(p.throttlePercent);
    s.lambdaCount = countOfMv(m_lambda.readMv(fuelRatio(image), m_samples));
    s.coolantCount = thermistorCount(p.coolantCelsius);
    s.airCount = thermistorCount(p.airCelsius);
    s.supplyCount = supplyCount(p.supplyMv);

    InjectionFactors f;
    f.baseUs = running ? baseInjectionUs(p.rpm, tp ? p.throttlePercent : p.intakePercent) : 0.0;
    f.coolantPercent = temperatureCorrection(image, layout::kWaterTemp, p.coolantCelsius);
    f.airPercent = temperatureCorrection(image, layout::kAirTemp, p.airCelsius);
    f.cellPercent = cellPercent(image, cells.injection14);
    s.injection14 = injectionSteps(injectionUs(f));
    f.cellPercent = cellPercent(image, cells.injection23);
    s.injection23 = injectionSteps(injectionUs(f));
    // The monitor shows the corrections as the change they make, in 0.1 %.
    s.corrections[kCoolantCorrection] = correctionTenths(f.coolantPercent);
    s.corrections[kAirCorrection] = correctionTenths(f.airPercent);

    s.servoDesired = countOfMv(image[layout::kNapPriv + cells.servoPoint] * kServoMvPerStep);
    s.servoMeasured = static_cast<std::uint16_t>(std::max(s.servoDesired, kServoLag) - kServoLag);

    s.throttlePercent = p.throttlePercent;
    s.intakePercent = p.intakePercent;
    s.coolantCelsius = p.coolantCelsius;
    s.airCelsius = p.airCelsius;
    const int spark = image[layout::kAdvanceLimit] - image[layout::kAdvance + cells.ignitionPoint];
    s.sparkPosition = static_cast<std::uint8_t>(std::clamp(spark, 0, 255));
    s.mapHold = p.mapHold;
    s.loadMode = tp;
    s.crankPickup = running;
    s.camPickup = running;

    m_faults.applyTo(s);
    return s;
}

LiveState Engine::sample(const DeviceImage &image)
{
    LiveState s = state(image);
    ++m_samples;
    return s;
}

} // namespace velmora::sim
