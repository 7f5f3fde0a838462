#pragma once

#include "live_points.h"
#include "monitor.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velmora::link {

// Background of a label or fore colour of a gauge. Normal is the window's own button face.
enum class Colour : std::uint8_t { Normal, Red, Yellow, Lime, Aqua, Fuchsia };

// One label as a monitor reply leaves it: its text and, where the reply decides it, its colour.
struct LabelText {
    std::string text;
    std::optional<Colour> colour;

    friend bool operator==(const LabelText &, const LabelText &) = default;
};

// What one monitor reply says, in engineering units: the numbers its labels are formatted from.
// A value whose label shows "error" instead carries a false `...Valid`.
struct MonitorSample {
    int rpm = 0;
    bool speedAlarm1 = false;
    bool speedAlarm2 = false;
    int throttlePercent = 0;
    bool throttleValid = false; // an opening above 100 % is a failed sensor
    int throttleMv = 0;
    int intakePercent = 0;
    bool intakeValid = false; // the sensor count lies in its range
    int intakeMv = 0;
    int lambdaMv = 0;
    int coolantCelsius = 0; // 80 as shown when no sensor answers
    bool coolantSensed = false;
    int coolantMv = 0;
    int airCelsius = 0; // 50 as shown when no sensor answers
    bool airSensed = false;
    int airMv = 0;
    double ambientKpa = 0;
    int ambientMv = 0;
    int supplyMv = 0;
    double supplyVolts = 0;
    int injection14Us = 0;
    int injection23Us = 0;
    int dutyPercent = 0;
    int servoDesiredMv = 0;
    int servoMeasuredMv = 0;
    bool servoInOrder = false;
    bool blocking = false;
    int advanceDegrees = 0;
    // Signed: a unit leaning the mixture sends less than nothing.
    double coolantCorrectionPercent = 0;
    double airCorrectionPercent = 0;
    double pressureCorrectionPercent = 0;
    double startCorrectionPercent = 0;
    int supplyCorrectionUs = 0;
    bool crankRunning = false;
    bool camRunning = false;
    bool storedDataError = false;
    int unitVersion = 0;
    int programmingCount = 0;
    std::array<int, 8> tests{};
    int savingCountdown = 0;
    bool mapHold = false;
    bool throttleLoad = false; // the unit takes its load from the throttle, not the intake
    // The cells the engine runs in, against the image the link decodes with; left as they are
    // by a decode without one.
    LivePoints cells;

    friend bool operator==(const MonitorSample &, const MonitorSample &) = default;
};

// Everything one monitor reply shows. Labels whose visibility the reply decides carry a flag.
struct MonitorDisplay {
    LabelText rpm, intakePressure, lambda, throttle, injection14, injection23, duty;
    LabelText ambientPressure, coolant, air, supply, servoDesired, servoMeasured, blocking;
    LabelText advance, coolantCorrection, airCorrection, pressureCorrection, startCorrection;
    LabelText supplyCorrection, crankPickup, camPickup, programmingCount;
    std::array<std::string, 8> tests;
    std::string version; // shown only when versionVisible
    bool versionVisible = false;
    bool dataErrorVisible = false;
    bool programmingCountVisible = false;

    int rpmGauge = 0;
    int throttleGauge = 0;
    int lambdaGauge = 0;
    int coolantGauge = 0;
    Colour coolantGaugeColour = Colour::Aqua;
    int dutyGauge = 0;
    Colour dutyGaugeColour = Colour::Aqua;

    MonitorSample sample;

    friend bool operator==(const MonitorDisplay &, const MonitorDisplay &) = default;
};

// What the decode needs besides the reply.
struct MonitorContext {
    bool extended = false;         // the extended monitor box is ticked
    std::uint8_t advanceLimit = 0; // degrees
    std::uint8_t limiter = 0;      // LIMITER2, hundreds of rpm
    std::string versionMismatch;   // the stored text of the current language
};

// The colour of the supply voltage label for U in millivolts.
Colour supplyColour(int millivolts);

// Decodes one monitor reply into the live values, what the monitor shows and its sample. A reply
// that fails its check byte changes nothing and returns false.
bool decodeMonitor(std::span<const std::uint8_t> reply, const MonitorContext &context,
                   LiveValues &live, MonitorDisplay &display);

} // namespace velmora::link
