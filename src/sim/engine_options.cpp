#include "engine_options.h"

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
    Engine engine;
    if (held)
        engine.hold(point);
    else
        engine.setSchedule(EngineSchedule::swept(overlay(sweep ? demoRide() : idleDrift(), point)));
    for (const CellError &e : cellErrors)
        engine.requirement().set(e.map, e.cell, FuelRequirement::kOnTarget + e.percent);
    engine.setTpLambdaMap(tpLambdaMap);
    engine.setLambdaNoise(noiseMv, seed);
    engine.setFaults(faults);
    return engine;
}

} // namespace velmora::sim
