#pragma once

#include "device_image.h"
#include "edit_history.h"
#include "triple.h"

namespace velmora {

// The name of an edit by what it changed between `before` and `after`: the first field, in image
// order, whose bytes differ. One point of it alone is named with its place, where its speed and
// row are read from `after`: "TP14 map 3000 rpm 10 %", "Advance 4000 rpm", "Coolant 50 °C",
// "Starting correction, point 2"; several points, or a single value, by the field alone:
// "TP14 map", "Limiter". Bytes of no field alone make a plain "Change of parameters". Values the
// cells cannot show, which any take-over puts in range, count only when nothing else changed.
StepName describeChange(const DeviceImage &before, const DeviceImage &after);

// A name that says what caused the step rather than what it changed: "New", "Open".
StepName stepName(const Triple &name);

} // namespace velmora
