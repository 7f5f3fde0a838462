#pragma once

#include "device_image.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace velmora {

// Conversion between a stored byte and the number a cell or a parameter file shows:
// shown = stored * unit + offset; stored = (shown / unit - offset / unit) mod 256, the division
// dropping the remainder. Every offset is a whole number of units.
struct Codec {
    int unit = 1;
    int offset = 0;

    constexpr std::uint8_t toStored(long shown) const
    {
        return static_cast<std::uint8_t>((shown / unit - offset / unit) & 0xFF);
    }
    constexpr int toShown(std::uint8_t stored) const { return stored * unit + offset; }
};

namespace codec {
inline constexpr Codec kPlain{1, 0};
inline constexpr Codec kRpm100{100, 0};         // speeds in 100 rpm
inline constexpr Codec kRpm10{10, 0};           // tuning speed deviation
inline constexpr Codec kMv5{5, 0};              // PRIV_HYSTER
inline constexpr Codec kMv10{10, 0};            // closed throttle, lambda voltages
inline constexpr Codec kMv20{20, 0};            // servo curve
inline constexpr Codec kTpsOpen{10, 2500};      // open-throttle voltage 2500..4600 mV
inline constexpr Codec kRpmCorrection{1, -100}; // signed correction -60..60
inline constexpr Codec kChokeCorrection{1, 100};
inline constexpr Codec kAccelThreshold{10, 0}; // %/s
inline constexpr Codec kAccelSize{30, 0};      // us
inline constexpr Codec kMs100{100, 0};         // tuning time step
} // namespace codec

enum class Field {
    Bike,
    RpmPulses,
    RpmCorrection,
    Limiter2,
    PilotLight,
    IntakeValve,
    PrivHyster,
    PrivEnable,
    BlokEnable,
    IapToTps,
    TpsClosed,
    TpsOpen,
    AccelThreshold,
    AccelSize,
    StartJet,
    Cooling,
    TpsMode,
    ChokeTimes,
    ChokeCorrections,
    TuningLambda,
    TuningHyster,
    TuningRpm,
    TuningTps,
    TuningTime,
    WaterTemp,
    AirTemp,
    RpmAdv,
    Advance,
    RpmPriv,
    NapPriv,
    RpmJetTp,
    RpmJetTpi,
    RpmJetIap,
    JetTp,
    JetTpi,
    JetIap,
};

// One field of the parameter set: where it lives and how it is shown.
struct FieldDef {
    Field field;
    std::string_view name;
    std::size_t offset;
    std::size_t count;
    Codec codec;
};

// Every field the user can see, in image order of its first byte.
std::span<const FieldDef> fieldTable();
const FieldDef &fieldDef(Field field);

// Shown value of point `index` of a field, and the reverse (low 8 bits kept).
int shownValue(const DeviceImage &image, Field field, std::size_t index = 0);
void setShownValue(DeviceImage &image, Field field, long shown, std::size_t index = 0);

} // namespace velmora
