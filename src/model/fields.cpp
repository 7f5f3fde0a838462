#include "fields.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace velmora {

namespace {

using namespace layout;

constexpr std::array kFields{
    FieldDef{Field::Bike, "BIKE", kBike, 1, codec::kPlain},
    FieldDef{Field::RpmPulses, "RPM pulses", kRpmPulses, 1, codec::kPlain},
    FieldDef{Field::RpmCorrection, "RPM correction", kRpmCorrection, 1, codec::kRpmCorrection},
    FieldDef{Field::Limiter2, "LIMITER2", kLimiter2, 1, codec::kRpm100},
    FieldDef{Field::PilotLight, "PILOT_LIGHT", kPilotLight, 1, codec::kRpm100},
    FieldDef{Field::PrivHyster, "PRIV_HYSTER", kPrivHyster, 1, codec::kMv5},
    FieldDef{Field::PrivEnable, "PRIV_ENABLE", kPrivEnable, 1, codec::kPlain},
    FieldDef{Field::BlokEnable, "BLOK_ENABLE", kBlokEnable, 1, codec::kPlain},
    FieldDef{Field::IapToTps, "IAP_TO_TPS", kIapToTps, 1, codec::kPlain},
    FieldDef{Field::TpsClosed, "TPS closed", kTpsClosed, 1, codec::kMv10},
    FieldDef{Field::TpsOpen, "TPS open", kTpsOpen, 1, codec::kTpsOpen},
    FieldDef{Field::AccelThreshold, "ACCEL threshold", kAccelThreshold, 1, codec::kAccelThreshold},
    FieldDef{Field::AccelSize, "ACCEL size", kAccelSize, 1, codec::kAccelSize},
    FieldDef{Field::StartJet, "START_JET", kStartJet, 1, codec::kPlain},
    FieldDef{Field::Cooling, "COOLING", kCooling, 1, codec::kPlain},
    FieldDef{Field::TpsMode, "TPS_MODE", kTpsMode, 1, codec::kPlain},
    FieldDef{Field::ChokeTimes, "CHOKE times", kChokeTimes, kChokePoints, codec::kPlain},
    FieldDef{Field::ChokeCorrections, "CHOKE corrections", kChokeCorrections, kChokePoints,
             codec::kChokeCorrection},
    FieldDef{Field::IntakeValve, "intake duct valve", kIntakeValve, 1, codec::kRpm100},
    FieldDef{Field::TuningLambda, "TUNING lambda", kTuningLambda, 1, codec::kMv10},
    FieldDef{Field::TuningHyster, "TUNING accuracy", kTuningHyster, 1, codec::kMv10},
    FieldDef{Field::TuningRpm, "TUNING rpm", kTuningRpm, 1, codec::kRpm10},
    FieldDef{Field::TuningTps, "TUNING tps", kTuningTps, 1, codec::kPlain},
    FieldDef{Field::TuningTime, "TUNING time", kTuningTime, 1, codec::kMs100},
    FieldDef{Field::WaterTemp, "WATER_TEMP", kWaterTemp, kTempPoints, codec::kPlain},
    FieldDef{Field::AirTemp, "AIR_TEMP", kAirTemp, kTempPoints, codec::kPlain},
    FieldDef{Field::RpmAdv, "RPM_ADV", kRpmAdv, kCurvePoints, codec::kRpm100},
    FieldDef{Field::Advance, "ADVANCE", kAdvance, kCurvePoints, codec::kPlain},
    FieldDef{Field::RpmPriv, "RPM_PRIV", kRpmPriv, kCurvePoints, codec::kRpm100},
    FieldDef{Field::NapPriv, "NAP_PRIV", kNapPriv, kCurvePoints, codec::kMv20},
    FieldDef{Field::RpmJetTp, "RPM_JET_TP", kRpmJetTp, kCurvePoints, codec::kRpm100},
    FieldDef{Field::RpmJetTpi, "RPM_JET_TPi", kRpmJetTpi, kCurvePoints, codec::kRpm100},
    FieldDef{Field::RpmJetIap, "RPM_JET_IAP", kRpmJetIap, kCurvePoints, codec::kRpm100},
    FieldDef{Field::JetTp, "JET_TP", kJetTp, kMapCells, codec::kPlain},
    FieldDef{Field::JetTpi, "JET_TPi", kJetTpi, kMapCells, codec::kPlain},
    FieldDef{Field::JetIap, "JET_IAP", kJetIap, kMapCells, codec::kPlain},
};

// Where each field stands in the table, by its enumerator: the table keeps its own order.
constexpr auto kFieldIndex = [] {
    std::array<std::size_t, kFields.size()> index{};
    for (std::size_t i = 0; i < kFields.size(); ++i)
        index[static_cast<std::size_t>(kFields[i].field)] = i;
    return index;
}();

constexpr bool everyFieldOnce()
{
    std::array<bool, kFields.size()> seen{};
    for (const FieldDef &d : kFields) {
        const auto k = static_cast<std::size_t>(d.field);
        if (k >= seen.size() || seen[k])
            return false;
        seen[k] = true;
    }
    return true;
}
static_assert(everyFieldOnce(), "every field once in the field table");

} // namespace

std::span<const FieldDef> fieldTable()
{
    return kFields;
}

const FieldDef &fieldDef(Field field)
{
    const auto k = static_cast<std::size_t>(field);
    if (k >= kFieldIndex.size())
        throw std::logic_error("field missing from the field table");
    return kFields[kFieldIndex[k]];
}

namespace {
const FieldDef &pointDef(Field field, std::size_t index)
{
    const FieldDef &d = fieldDef(field);
    if (index >= d.count)
        throw std::out_of_range("field point index out of range");
    return d;
}
} // namespace

int shownValue(const DeviceImage &image, Field field, std::size_t index)
{
    const FieldDef &d = pointDef(field, index);
    return d.codec.toShown(image[d.offset + index]);
}

void setShownValue(DeviceImage &image, Field field, long shown, std::size_t index)
{
    const FieldDef &d = pointDef(field, index);
    image[d.offset + index] = d.codec.toStored(shown);
}

} // namespace velmora
