#pragma once

#include "model/device_image.h"

#include <cstddef>
#include <cstdint>

namespace velmora::sim {

// The unit's injection time before the maps and corrections: 1.5 ms at no load and no speed,
// rising to 8 ms at full load and 12000 rpm. Load is whatever the unit takes it from (throttle
// opening or intake pressure), in %.
double baseInjectionUs(unsigned rpm, unsigned loadPercent);

// A temperature correction curve (WATER_TEMP or AIR_TEMP) at the point for `celsius`, in %.
unsigned temperatureCorrection(const DeviceImage &image, std::size_t curve, int celsius);

struct InjectionFactors {
    double baseUs = 0.0;
    unsigned cellPercent = 100;
    unsigned coolantPercent = 100;
    unsigned airPercent = 100;
};

double injectionUs(const InjectionFactors &f);

// The monitor carries injection times in 30 us steps.
std::uint16_t injectionSteps(double us);

} // namespace velmora::sim
