#include "unit_faults.h"

#include "link/monitor_layout.h"
#include "sensor_scale.h"

namespace velmora::sim {

namespace {

// The temperature byte carries degrees + 100, so this is the byte 0 of an open sensor.
constexpr int kOpenSensorCelsius = -link::monitor::kTemperatureOffset;

} // namespace

void UnitFaults::applyTo(LiveState &state) const
{
    if (intakePressureCount)
        state.intakePressureCount = *intakePressureCount;
    if (throttlePercent) {
        state.throttlePercent = *throttlePercent;
        state.throttleCount = throttleCount(*throttlePercent);
    }
    if (coolantSensor) {
        state.coolantCelsius = kOpenSensorCelsius;
        state.coolantCount = kFullScaleCount;
    }
    if (airSensor) {
        state.airCelsius = kOpenSensorCelsius;
        state.airCount = kFullScaleCount;
    }
    if (servo)
        state.servoInOrder = false;
    if (storedData)
        state.storedDataError = true;
    if (programVersion)
        state.programVersion = *programVersion;
    state.speedAlarm1 = state.speedAlarm1 || speedAlarm1;
    state.speedAlarm2 = state.speedAlarm2 || speedAlarm2;
    state.blocking = state.blocking || blocking;
}

} // namespace velmora::sim
