#pragma once

#include "engine.h"
#include "fuel_map.h"
#include "operating_point.h"
#include "unit_faults.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::sim {

// A cell whose fuel requirement is off the fresh map's 100 by `percent` (positive: the map is
// lean there).
struct CellError {
    FuelMap map = FuelMap::Tp14;
    std::size_t cell = 0;
    int percent = 0;

    friend bool operator==(const CellError &, const CellError &) = default;
};

// How the velmora-unit command line sets up the engine.
struct EngineOptions {
    // Speed and load come from here when `held`; the rest of the point always does.
    OperatingPoint point;
    bool held = false;         // hold `point` rather than idle
    bool sweep = false;        // ride through a few cells rather than idle
    bool route = false;        // ride once through nearly every cell of every map (rideRoute)
    unsigned fieldPercent = 0; // a random fuel requirement of 100 +- up to this, from `seed`
    LambdaCurve lambdaCurve = LambdaCurve::Gentle;
    std::vector<CellError> cellErrors;
    FuelMap tpLambdaMap = FuelMap::Tp14;
    unsigned noiseMv = 0;
    std::uint64_t seed = 1;
    UnitFaults faults;

    // Without speed or load options the engine idles with a little drift, so that a monitor
    // watched by hand looks alive; a test that needs a still engine holds a point.
    Engine makeEngine() const;
    // The route crosses the speed axes of `image`.
    Engine makeEngine(const DeviceImage &image) const;

    friend bool operator==(const EngineOptions &, const EngineOptions &) = default;
};

// The engine of the demo: it stops for a while in a few cells of the TP14 map whose fuel needs
// differ from what the maps hold, so that switching the tuning on visibly corrects them.
Engine demoEngine();

} // namespace velmora::sim
