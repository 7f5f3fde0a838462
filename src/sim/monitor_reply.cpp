#include "monitor_reply.h"

#include <algorithm>

namespace velmora::sim {

namespace {

void put16(link::Frame &f, std::size_t at, unsigned value)
{
    f[at] = static_cast<std::uint8_t>(value & 0xFF);
    f[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Offsets that push a value outside the byte are clamped rather than wrapped: a wrapped
// temperature would read as the opposite extreme on the PC.
std::uint8_t offsetByte(int value, int offset)
{
    return static_cast<std::uint8_t>(std::clamp(value + offset, 0, 255));
}

} // namespace

link::Frame buildMonitorReply(const LiveState &s)
{
    using namespace monitor;
    link::Frame f{};
    f[0] = link::kMonitorReply;

    put16(f, kRpm, s.rpm);
    put16(f, kAmbientPressureCount, s.ambientPressureCount);
    put16(f, kAmbientPressure, s.ambientPressure);
    put16(f, kIntakePressureCount, s.intakePressureCount);
    put16(f, kThrottleCount, s.throttleCount);
    put16(f, kLambdaCount, s.lambdaCount);
    put16(f, kCoolantCount, s.coolantCount);
    put16(f, kAirCount, s.airCount);
    put16(f, kSupplyCount, s.supplyCount);
    put16(f, kInjection14, s.injection14);
    put16(f, kInjection23, s.injection23);
    put16(f, kServoMeasured, s.servoMeasured);
    put16(f, kServoDesired, s.servoDesired);
    put16(f, kProgrammingCycles, s.programmingCycles);
    for (std::size_t i = 0; i < s.testValues.size(); ++i)
        put16(f, kTestValues + 2 * i, s.testValues[i]);

    f[kThrottlePercent] = s.throttlePercent;
    f[kIntakePercent] = s.intakePercent;
    f[kCoolant] = offsetByte(s.coolantCelsius, kTemperatureOffset);
    f[kAir] = offsetByte(s.airCelsius, kTemperatureOffset);
    f[kSparkPosition] = s.sparkPosition;
    f[kSpeedAlarm1] = s.speedAlarm1;
    f[kBlocking] = s.blocking;
    f[kMapHold] = s.mapHold;
    f[kLoadMode] = s.loadMode;
    f[kSpeedAlarm2] = s.speedAlarm2;
    f[kServoInOrder] = s.servoInOrder;
    f[kCrankPickup] = s.crankPickup;
    f[kCamPickup] = s.camPickup;

    // Two's complement on the wire, so a negative correction reads back through an int16.
    for (std::size_t i = 0; i < s.corrections.size(); ++i)
        put16(f, kCorrections + 2 * i, static_cast<std::uint16_t>(s.corrections[i]));
    put16(f, kSupplyCorrection,
          static_cast<unsigned>(
              std::clamp(s.supplyCorrectionUs + kSupplyCorrectionOffset, 0, 0xFFFF)));
    put16(f, kSavingCountdown, s.savingCountdown);
    f[kStoredDataError] = s.storedDataError;
    f[kProgramVersion] = s.programVersion;

    f[link::kFrameSize - 1] = link::checkByte(f);
    return f;
}

} // namespace velmora::sim
