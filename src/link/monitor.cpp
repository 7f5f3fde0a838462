#include "monitor.h"

namespace velmora::link {

bool decodeLiveValues(std::span<const std::uint8_t> reply, LiveValues &live)
{
    if (!frameValid(reply))
        return false;
    using namespace monitor;
    live.speed = word(reply, kRpm);
    live.throttleOpening = reply[kThrottlePercent];
    live.intakePressure = reply[kIntakePercent];
    live.coolant = reply[kCoolant];
    live.air = reply[kAir];
    live.lambdaMv = sensorMv(word(reply, kLambdaCount));
    live.throttleMv = sensorMv(word(reply, kThrottleCount));
    live.mapHold = reply[kMapHold];
    live.loadMode = reply[kLoadMode];
    live.savingCountdown = word(reply, kSavingCountdown);
    live.fresh = true;
    return true;
}

} // namespace velmora::link
