#pragma once

#include "engine_schedule.h"
#include "fuel_requirement.h"
#include "lambda_sensor.h"
#include "live_cells.h"
#include "live_state.h"
#include "model/device_image.h"
#include "operating_point.h"
#include "unit_faults.h"

#include <cstdint>

namespace velmora::sim {

// The engine behind the monitor: it runs through its schedule as time is handed to it and
// reports what the unit would, computed from the unit's own image. Injection times, advance and
// servo come from the cells the unit uses at the operating point; the lambda sensor reads how
// the map cell the PC would tune compares with the engine's hidden fuel requirement.
class Engine {
public:
    // Servo counts the measured position stays short of the desired one.
    static constexpr std::uint16_t kServoLag = 3;

    Engine() = default;
    explicit Engine(EngineSchedule schedule) : m_schedule(std::move(schedule)) {}

    const EngineSchedule &schedule() const { return m_schedule; }
    // The schedule starts from its beginning.
    void setSchedule(EngineSchedule schedule);
    void hold(const OperatingPoint &point) { setSchedule(EngineSchedule::held(point)); }

    void advance(EngineTime dt);
    EngineTime elapsed() const { return m_elapsed; }
    OperatingPoint point() const { return m_schedule.at(m_elapsed); }

    FuelRequirement &requirement() { return m_requirement; }
    const FuelRequirement &requirement() const { return m_requirement; }

    const UnitFaults &faults() const { return m_faults; }
    void setFaults(const UnitFaults &faults) { m_faults = faults; }

    const LambdaSensor &lambdaSensor() const { return m_lambda; }
    void setLambdaNoise(double amplitudeMv, std::uint64_t seed)
    {
        m_lambda.setNoise(amplitudeMv, seed);
    }
    void setLambdaCurve(LambdaCurve curve) { m_lambda.setCurve(curve); }

    // Which TP map the sensor judges while the load comes from the throttle: Tp14 or Tp23
    // (anything else counts as Tp14). With the load from the intake pressure it is always IAP.
    FuelMap tpLambdaMap() const { return m_tpLambdaMap; }
    void setTpLambdaMap(FuelMap map) { m_tpLambdaMap = map == FuelMap::Tp23 ? map : FuelMap::Tp14; }

    bool throttleLoad(const DeviceImage &image) const;
    LiveCells liveCells(const DeviceImage &image) const;
    MapCell lambdaCell(const DeviceImage &image) const;
    // Given over required fuel in the lambda cell; 0 with the engine stopped.
    double fuelRatio(const DeviceImage &image) const;

    // What the next monitor reply will carry; asking twice gives the same answer.
    LiveState state(const DeviceImage &image) const;
    // The same, after which the lambda sensor moves on to a fresh reading.
    LiveState sample(const DeviceImage &image);

private:
    EngineSchedule m_schedule = EngineSchedule::held({});
    EngineTime m_elapsed{0};
    FuelRequirement m_requirement;
    UnitFaults m_faults;
    LambdaSensor m_lambda;
    FuelMap m_tpLambdaMap = FuelMap::Tp14;
    std::uint64_t m_samples = 0;
};

} // namespace velmora::sim
