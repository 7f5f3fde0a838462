#include "engine_options.h"

#include "block_store.h"
#include "ride_route.h"

namespace velmora::sim {

namespace {

// The ramp's own speed and load with everything else from the command line.
Sweep overlay(Sweep sweep, const OperatingPoint &point)
{
    for (OperatingPoint *end : {&sweep.from, &sweep.to}) {
        OperatingPoint p = point;
        p.rpm = end->rpm;
        p.throttlePercent = end->throttlePercent;
        p.intakePercent = end->intakePercent;
        *end = p;
    }
    return sweep;
}

} // namespace

Engine EngineOptions::makeEngine() const
{
    return makeEngine(BlockStore::defaultImage());
}

Engine EngineOptions::makeEngine(const DeviceImage &image) const
{
    Engine engine;
    if (held)
        engine.hold(point);
    else if (route)
        engine.setSchedule(EngineSchedule::scripted(rideRoute(image, seed)));
    else
        engine.setSchedule(EngineSchedule::swept(overlay(sweep ? demoRide() : idleDrift(), point)));
    if (fieldPercent > 0)
        engine.requirement() = FuelRequirement::randomField(fieldPercent, seed);
    for (const CellError &e : cellErrors)
        engine.requirement().set(e.map, e.cell, FuelRequirement::kOnTarget + e.percent);
    engine.setTpLambdaMap(tpLambdaMap);
    engine.setLambdaNoise(noiseMv, seed);
    engine.setLambdaCurve(lambdaCurve);
    engine.setFaults(faults);
    return engine;
}

Engine demoEngine()
{
    struct Stop {
        std::uint16_t rpm;
        std::uint8_t throttle;
        std::size_t cell; // the TP14 cell of that speed and throttle on the default axes
        int error;        // percent more fuel the engine needs there
    };
    const Stop stops[] = {
        {1300, 0, 0, 0}, {3000, 10, 32, 6}, {4000, 20, 43, 5}, {6000, 30, 54, -4}};
    Script script;
    script.repeat = true;
    Engine engine;
    for (const Stop &stop : stops) {
        OperatingPoint point;
        point.rpm = stop.rpm;
        point.throttlePercent = stop.throttle;
        point.intakePercent = static_cast<std::uint8_t>(30 + stop.throttle);
        script.steps.push_back({point, std::chrono::milliseconds(stop.error ? 15000 : 5000)});
        if (stop.error)
            engine.requirement().set(FuelMap::Tp14, stop.cell,
                                     FuelRequirement::kOnTarget + stop.error);
    }
    engine.setSchedule(EngineSchedule::scripted(script));
    return engine;
}

} // namespace velmora::sim
