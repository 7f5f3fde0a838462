#pragma once

#include "link/frame.h"
#include "link/monitor_layout.h"
#include "live_state.h"

#include <cstddef>

namespace velmora::sim {

namespace monitor = link::monitor;

// The unit's answer to a monitor request, check byte included.
link::Frame buildMonitorReply(const LiveState &state);

} // namespace velmora::sim
