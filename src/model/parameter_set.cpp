#include "parameter_set.h"

#include <algorithm>
#include <span>

namespace velmora {

namespace {

using namespace layout;
using Curve = std::array<std::uint8_t, kCurvePoints>;

struct ModelDefaults {
    Curve advance;
    std::uint8_t limiter2;
    std::uint8_t pilotLight;
    std::uint8_t blokEnable;
    std::array<std::uint8_t, kTempPoints> waterTemp;
    std::array<std::uint8_t, kTempPoints> airTemp;
    Curve rpmPriv;
    Curve napPriv;
};

struct ModelConstants {
    std::uint8_t advanceLimit;
    std::uint8_t byte110;
    std::uint8_t byte125;
    std::uint8_t byte126;
    Curve table;
};

constexpr Curve kSpeedAxis{10, 20, 30, 40, 60, 80, 100, 120, 140, 160};
constexpr Curve kSpeedAxisModel3{10, 20, 30, 40, 50, 60, 70, 80, 100, 120};

constexpr ModelDefaults kModels124{{5, 10, 23, 40, 40, 40, 40, 37, 37, 37},
                                   120,
                                   100,
                                   1,
                                   {160, 139, 126, 100, 100},
                                   {121, 105, 100, 98, 98},
                                   {25, 26, 63, 64, 150, 151, 152, 153, 154, 160},
                                   {135, 226, 226, 24, 24, 24, 24, 24, 24, 24}};

// Model 0 keeps its servo curve: rpmPriv/napPriv of its entry are not written.
constexpr std::array<ModelDefaults, kModelCount> kDefaults{{
    {{7, 15, 25, 29, 35, 32, 31, 30, 33, 33},
     140,
     120,
     1,
     {136, 125, 111, 100, 99},
     {119, 109, 100, 100, 100},
     {},
     {}},
    kModels124,
    {kModels124.advance, 105, 90, 1, kModels124.waterTemp, kModels124.airTemp, kModels124.rpmPriv,
     kModels124.napPriv},
    {{13, 16, 31, 39, 39, 39, 38, 38, 38, 38},
     110,
     90,
     0,
     {139, 110, 104, 100, 99},
     {121, 110, 100, 97, 97},
     {10, 20, 30, 40, 60, 80, 100, 120, 140, 160},
     {100, 105, 110, 115, 120, 125, 130, 135, 140, 145}},
    kModels124,
}};

constexpr Curve kTable0{152, 150, 149, 227, 230, 240, 217, 212, 227, 227};
constexpr Curve kTable1{191, 191, 188, 196, 205, 235, 21, 31, 31, 31};

constexpr std::array<ModelConstants, kModelCount> kConstants{{
    {101, 0, 65, 0, kTable0},
    {100, 0, 65, 0, kTable1},
    {100, 1, 65, 0, kTable1},
    {95, 0, 70, 0, kTable0},
    {100, 0, 65, 0, kTable1},
}};

template <std::size_t N>
void put(DeviceImage &image, std::size_t offset, const std::array<std::uint8_t, N> &values)
{
    std::copy(values.begin(), values.end(), image.run(offset, N).begin());
}

void fill(DeviceImage &image, std::size_t offset, std::size_t count, std::uint8_t value)
{
    auto r = image.run(offset, count);
    std::fill(r.begin(), r.end(), value);
}

std::uint8_t clampByte(std::uint8_t v, unsigned low, unsigned high)
{
    return static_cast<std::uint8_t>(std::clamp<unsigned>(v, low, high));
}

// Point i of a speed axis lies within i + 3 .. i + 191 (300 rpm + i .. 19100 rpm + i).
void boundAxisPoint(DeviceImage &image, std::size_t axis, std::size_t i)
{
    image[axis + i] = clampByte(image[axis + i], i + 3, i + 191);
}

// Each point not above its predecessor becomes the predecessor plus 1, working upwards.
void raiseAxisPoint(DeviceImage &image, std::size_t axis, std::size_t i)
{
    if (image[axis + i] <= image[axis + i - 1])
        image[axis + i] = static_cast<std::uint8_t>(image[axis + i - 1] + 1);
}

void orderAxis(DeviceImage &image, std::size_t axis)
{
    for (std::size_t i = 0; i < kCurvePoints; ++i)
        boundAxisPoint(image, axis, i);
    for (std::size_t i = 1; i < kCurvePoints; ++i)
        raiseAxisPoint(image, axis, i);
}

void capMap(DeviceImage &image, std::size_t map)
{
    for (std::uint8_t &cell : image.run(map, kMapCells))
        cell = std::min<std::uint8_t>(cell, 250);
}

} // namespace

void applyModelConstants(DeviceImage &image)
{
    const std::uint8_t m = image.bike();
    if (m >= kModelCount)
        return;
    const ModelConstants &c = kConstants[m];
    image[kAdvanceLimit] = c.advanceLimit;
    image[kModelByte110] = c.byte110;
    image[kModelByte125] = c.byte125;
    image[kModelByte126] = c.byte126;
    put(image, kModelTable, c.table);
}

void applyDefaults(DeviceImage &image)
{
    image[kRpmPulses] = 2;
    image[kRpmCorrection] = 100;
    put(image, kChokeTimes, std::array<std::uint8_t, kChokePoints>{5, 10, 15, 20});
    put(image, kChokeCorrections, std::array<std::uint8_t, kChokePoints>{150, 50, 30, 10});
    for (std::size_t map : {kJetTp, kJetTpi, kJetIap})
        fill(image, map, kMapCells, 100);
    image[kPrivHyster] = 40;
    image[kCooling] = 100;
    image[kAccelThreshold] = 30;
    image[kAccelSize] = 84;
    for (std::size_t axis : {kRpmAdv, kRpmJetTp, kRpmJetTpi, kRpmJetIap})
        put(image, axis, kSpeedAxis);
    image[kIntakeValve] = 60;
    image[kTpsMode] = 1;
    image[kIapToTps] = 5;
    image[kPrivEnable] = 1;
    put(image, kTuning, std::array<std::uint8_t, kTuningValues>{80, 5, 10, 1, 10});

    const std::uint8_t m = image.bike();
    if (m < kModelCount) {
        const ModelDefaults &d = kDefaults[m];
        image[kStartJet] = 10;
        image[kTpsClosed] = 50;
        image[kTpsOpen] = 192;
        put(image, kWaterTemp, d.waterTemp);
        put(image, kAirTemp, d.airTemp);
        put(image, kAdvance, d.advance);
        image[kLimiter2] = d.limiter2;
        image[kPilotLight] = d.pilotLight;
        image[kBlokEnable] = d.blokEnable;
        if (m == 3) {
            for (std::size_t axis : {kRpmAdv, kRpmJetTp, kRpmJetTpi, kRpmJetIap})
                put(image, axis, kSpeedAxisModel3);
        }
        if (m != 0) {
            put(image, kRpmPriv, d.rpmPriv);
            put(image, kNapPriv, d.napPriv);
        }
    }

    applyModelConstants(image);
}

void chooseModel(DeviceImage &image, std::uint8_t model)
{
    image[kBike] = model;
    applyModelConstants(image);
}

void consistencyPass(DeviceImage &image, HeldSettings &held)
{
    // 1: the advance points are capped with the limit as it stands, before step 3 bounds it.
    for (std::size_t i = 0; i < kCurvePoints; ++i) {
        boundAxisPoint(image, kRpmAdv, i);
        image[kAdvance + i] = std::min(image[kAdvance + i], image[kAdvanceLimit]);
    }
    // 2
    for (std::size_t i = 1; i < kCurvePoints; ++i)
        raiseAxisPoint(image, kRpmAdv, i);
    // 3
    image[kAdvanceLimit] = clampByte(image[kAdvanceLimit], 10, 125);
    // 4
    for (std::size_t speed : {kLimiter2, kPilotLight, kIntakeValve})
        image[speed] = clampByte(image[speed], 10, 250);
    // 5, 6: the two throttle map axes, bounded together, then ordered one after the other.
    for (std::size_t i = 0; i < kCurvePoints; ++i) {
        boundAxisPoint(image, kRpmJetTp, i);
        boundAxisPoint(image, kRpmJetTpi, i);
    }
    for (std::size_t axis : {kRpmJetTp, kRpmJetTpi}) {
        for (std::size_t i = 1; i < kCurvePoints; ++i)
            raiseAxisPoint(image, axis, i);
    }
    // 7
    capMap(image, kJetTp);
    capMap(image, kJetTpi);
    // 8, 9
    orderAxis(image, kRpmJetIap);
    capMap(image, kJetIap);
    // 10
    image[kTpsClosed] = std::min<std::uint8_t>(image[kTpsClosed], 250);
    image[kTpsOpen] = std::min<std::uint8_t>(image[kTpsOpen], 250);
    image[kStartJet] = std::min<std::uint8_t>(image[kStartJet], 50);
    // 11
    orderAxis(image, kRpmPriv);
    // 12
    for (std::size_t k = 0; k < kChokePoints; ++k) {
        image[kChokeTimes + k] = clampByte(image[kChokeTimes + k], k, k + 247);
        image[kChokeCorrections + k] = std::min<std::uint8_t>(image[kChokeCorrections + k], 250);
    }
    // 13
    for (std::size_t k = 1; k < kChokePoints; ++k)
        raiseAxisPoint(image, kChokeTimes, k);
    // 14
    if (held.language > 2)
        held.language = 1;
    if (held.comPort > 10)
        held.comPort = 1;
}

void consistencyPass(DeviceImage &image)
{
    HeldSettings unused;
    consistencyPass(image, unused);
}

} // namespace velmora
