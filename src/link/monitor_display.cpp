#include "monitor_display.h"

#include "model/identity.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace velmora::link {

namespace {

using namespace monitor;

std::string format(const char *pattern, ...)
{
    char buffer[128];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

// A value in tenths shown with "%4.1f".
double tenths(int value)
{
    return value / 10.0;
}

Colour flag(bool on, Colour onColour)
{
    return on ? onColour : Colour::Normal;
}

// The correction words are two's complement: a unit leaning the mixture sends a correction
// below 100 % as a negative number, and no unit corrects by more than 3276.7 %.
int correctionWord(std::span<const std::uint8_t> reply, std::size_t offset)
{
    return static_cast<std::int16_t>(word(reply, offset));
}

struct CorrectionLabel {
    LabelText MonitorDisplay::*label;
    double MonitorSample::*value;
    const char *pattern; // the value in tenths of a percent; the "%" after it stands alone
};

// In the order of their words in the reply.
constexpr CorrectionLabel kCorrectionLabels[] = {
    {&MonitorDisplay::coolantCorrection, &MonitorSample::coolantCorrectionPercent,
     "TW correction= %4.1f "},
    {&MonitorDisplay::airCorrection, &MonitorSample::airCorrectionPercent, "AT correction=%4.1f "},
    {&MonitorDisplay::pressureCorrection, &MonitorSample::pressureCorrectionPercent,
     "AP correction= %4.1f "},
    {&MonitorDisplay::startCorrection, &MonitorSample::startCorrectionPercent,
     "Starting corr.= %4.1f "},
};

} // namespace

Colour supplyColour(int u)
{
    if (u >= 17999 || u <= 7000)
        return Colour::Red;
    if (u >= 14999 || u <= 11000)
        return Colour::Yellow;
    return Colour::Normal;
}

bool decodeMonitor(std::span<const std::uint8_t> reply, const MonitorContext &context,
                   LiveValues &live, MonitorDisplay &d)
{
    if (!decodeLiveValues(reply, live))
        return false;
    const bool ext = context.extended;
    MonitorSample &v = d.sample;

    // Speed, as a share of the limiter; a limiter of 0 can only stand in a half-read image.
    const int speed = live.speed;
    v.rpm = speed;
    v.speedAlarm1 = reply[kSpeedAlarm1] != 0;
    v.speedAlarm2 = reply[kSpeedAlarm2] != 0;
    d.rpm.text = format("RPM = %d ", speed);
    d.rpmGauge = context.limiter > 0 ? speed / context.limiter : 0;
    d.rpm.colour = v.speedAlarm1 ? Colour::Red : v.speedAlarm2 ? Colour::Yellow : Colour::Normal;

    const int iapCount = word(reply, kIntakePressureCount);
    const int iapMv = sensorMv(static_cast<std::uint16_t>(iapCount));
    v.intakeMv = iapMv;
    v.intakePercent = reply[kIntakePercent];
    v.intakeValid = iapCount >= 421 && iapCount <= 4024;
    if (!v.intakeValid) {
        d.intakePressure = {ext ? format("IAP= error = %d [mV]", iapMv) : "IAP= error",
                            Colour::Red};
    } else {
        d.intakePressure = {ext ? format("IAP= %d [%%] = %d [mV]", v.intakePercent, iapMv)
                                : format("IAP= %d [%%]", v.intakePercent),
                            Colour::Normal};
    }

    const int lambda = live.lambdaMv;
    v.lambdaMv = lambda;
    d.lambda.text = format("LAMBDA = %d [mV]", lambda);
    d.lambdaGauge = lambda < 400 ? 0 : lambda > 1000 ? 100 : (lambda - 400) / 6;

    const int throttleMv = live.throttleMv;
    v.throttleMv = throttleMv;
    v.throttlePercent = live.throttleOpening;
    v.throttleValid = live.throttleOpening <= 100;
    if (!v.throttleValid) {
        d.throttle = {format("TP=error = %d [mV]", throttleMv), Colour::Red};
        d.throttleGauge = 0;
    } else {
        d.throttle = {ext ? format("TP= %d [%%]= %d [mV]", live.throttleOpening, throttleMv)
                          : format("TP= %d [%%]", live.throttleOpening),
                      Colour::Normal};
        d.throttleGauge = live.throttleOpening;
    }

    const int t14 = word(reply, kInjection14) * 30;
    const int t23 = word(reply, kInjection23) * 30;
    v.injection14Us = t14;
    v.injection23Us = t23;
    d.injection14.text = format("INJ. TIME 14 = %d [us]", t14);
    d.injection23.text = format("INJ. TIME 23 = %d [us]", t23);
    const int duty = static_cast<int>(static_cast<long long>(speed) * std::max(t14, t23) / 1200000);
    v.dutyPercent = duty;
    d.duty.text = format("INJ. DUTY = %d [", duty) + "%]"; // the "%" stands alone
    d.dutyGauge = duty;
    d.dutyGaugeColour = duty > 100 ? Colour::Yellow : Colour::Aqua;

    const int apMv = sensorMv(word(reply, kAmbientPressureCount));
    const double kpa = tenths(word(reply, kAmbientPressure));
    v.ambientMv = apMv;
    v.ambientKpa = kpa;
    d.ambientPressure.text =
        ext ? format("AP = %4.1f [kPa] = %d [mV]", kpa, apMv) : format("AP = %4.1f [kPa]", kpa);

    const int coolantMv = sensorMv(word(reply, kCoolantCount));
    const int coolantByte = reply[kCoolant];
    int coolant = 80;
    if (coolantByte == 0) {
        d.coolant.colour = Colour::Red;
        d.coolantGaugeColour = Colour::Red;
        d.coolantGauge = 80;
    } else {
        coolant = coolantByte - monitor::kTemperatureOffset;
        const bool hot = coolantByte >= 200;
        d.coolant.colour = flag(hot, Colour::Yellow);
        d.coolantGaugeColour = hot ? Colour::Yellow : Colour::Aqua;
        d.coolantGauge = std::clamp(coolant, 0, 100);
    }
    v.coolantCelsius = coolant;
    v.coolantSensed = coolantByte != 0;
    v.coolantMv = coolantMv;
    d.coolant.text =
        ext ? format("TW= %d [°C]= %d [mV]", coolant, coolantMv) : format("TW= %d [°C]", coolant);

    const int airMv = sensorMv(word(reply, kAirCount));
    const int airByte = reply[kAir];
    const int air = airByte == 0 ? 50 : airByte - monitor::kTemperatureOffset;
    v.airCelsius = air;
    v.airSensed = airByte != 0;
    v.airMv = airMv;
    d.air.colour = flag(airByte == 0, Colour::Red);
    d.air.text = ext ? format("AT= %d [°C]= %d [mV]", air, airMv) : format("AT= %d [°C]", air);

    const int supply = sensorMv(word(reply, kSupplyCount)) * 11 + 650;
    v.supplyMv = supply;
    v.supplyVolts = supply / 1000.0;
    d.supply.text = format("U = %4.1f [V]", v.supplyVolts);
    d.supply.colour = supplyColour(supply);

    v.servoInOrder = reply[kServoInOrder] != 0;
    v.servoDesiredMv = sensorMv(word(reply, kServoDesired));
    v.servoMeasuredMv = sensorMv(word(reply, kServoMeasured));
    const Colour servo = flag(!v.servoInOrder, Colour::Red);
    d.servoDesired = {format("Servo desired= %d [mV]", v.servoDesiredMv), servo};
    d.servoMeasured = {format("Servo measured= %d [mV]", v.servoMeasuredMv), servo};

    v.blocking = reply[kBlocking] != 0;
    d.blocking = v.blocking ? LabelText{"Blocking = ON", Colour::Red}
                            : LabelText{"Blocking = OFF", Colour::Normal};

    const int position = reply[kSparkPosition];
    v.advanceDegrees = position < context.advanceLimit ? context.advanceLimit - position : 0;
    d.advance.text = format("ADVANCE = %d [°]", v.advanceDegrees);

    std::size_t at = kCorrections;
    for (const CorrectionLabel &c : kCorrectionLabels) {
        const double percent = tenths(correctionWord(reply, at));
        v.*c.value = percent;
        (d.*c.label).text = format(c.pattern, percent) + "%";
        at += 2;
    }
    v.supplyCorrectionUs = correctionWord(reply, kSupplyCorrection) - kSupplyCorrectionOffset;
    d.supplyCorrection.text = format("U correction= %d us", v.supplyCorrectionUs);

    const int unitVersion = reply[kProgramVersion];
    v.unitVersion = unitVersion;
    d.versionVisible = unitVersion != kOwnProgramVersion;
    d.version =
        context.versionMismatch + format("  PC-%d, IGN-%d", kOwnProgramVersion, unitVersion);

    v.crankRunning = reply[kCrankPickup] != 0;
    v.camRunning = reply[kCamPickup] != 0;
    d.crankPickup = v.crankRunning ? LabelText{"Pick-up (CKPS) - is running", Colour::Lime}
                                   : LabelText{"Pick-up (CKPS) - no signal", Colour::Normal};
    d.camPickup = v.camRunning ? LabelText{"Pick-up (CMPS) - is running", Colour::Lime}
                               : LabelText{"Pick-up (CMPS) - no signal", Colour::Normal};

    v.storedDataError = reply[kStoredDataError] != 0;
    d.dataErrorVisible = v.storedDataError;
    d.programmingCountVisible = ext;
    v.programmingCount = word(reply, kProgrammingCycles);
    d.programmingCount.text = format("Number of Programing= %d ", v.programmingCount);
    for (std::size_t i = 0; i < d.tests.size(); ++i) {
        v.tests[i] = word(reply, kTestValues + 2 * i);
        d.tests[i] = format("Test%zu = %d ", i + 1, v.tests[i]);
    }
    v.savingCountdown = live.savingCountdown;
    v.mapHold = live.mapHold != 0;
    v.throttleLoad = live.loadMode != 0;
    return true;
}

} // namespace velmora::link
