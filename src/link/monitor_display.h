#pragma once

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

    friend bool operator==(const MonitorDisplay &, const MonitorDisplay &) = default;
};

// What the decode needs besides the reply.
struct MonitorContext {
    bool extended = false;         // the extended monitor box is ticked
    std::uint8_t advanceLimit = 0; // degrees
    std::uint8_t limiter = 0;      // LIMITER2, hundreds of rpm
    std::string versionMismatch;   // the stored text of the current language
};

inline constexpr int kOwnProgramVersion = 43;

// The colour of the supply voltage label for U in millivolts.
Colour supplyColour(int millivolts);

// Decodes one monitor reply into the live values and what the monitor shows. A reply that fails
// its check byte changes nothing and returns false.
bool decodeMonitor(std::span<const std::uint8_t> reply, const MonitorContext &context,
                   LiveValues &live, MonitorDisplay &display);

} // namespace velmora::link
