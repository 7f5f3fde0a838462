#pragma once

#include "engine_schedule.h"
#include "model/device_image.h"

#include <chrono>
#include <cstdint>

namespace velmora::sim {

// A ride of a few minutes that visits nearly every cell of every injection map once, for
// velmora-unit --route and the convergence benchmark: a cold start warming up at idle, then the
// throttle maps row by row (loaded from the throttle) and the intake map row by row (loaded from
// the intake pressure), crossing the speed axis of the image's maps above its first point and
// holding each cell long enough for a steady reading. Rows come in a seeded order, a rise in
// load comes as a quick acceleration, and a few idle stretches come in between. The route ends
// at idle and stays there.
Script rideRoute(const DeviceImage &image, std::uint64_t seed);

// How long a script takes to run through once.
std::chrono::milliseconds scriptLength(const Script &script);

} // namespace velmora::sim
