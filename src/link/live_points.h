#pragma once

#include "monitor.h"

#include "model/cells.h"
#include "model/device_image.h"

#include <array>
#include <cstdint>
#include <span>

namespace velmora::link {

// Where on every axis the engine runs now, from the latest live values.
struct LivePoints {
    int ignition = 0;
    bool belowCurve = true; // the live speed lies below the first advance speed point
    int servo = 0;
    int tp14Column = 0;
    int tp23Column = 0;
    int iapColumn = 0;
    int tpRow = 0;
    int iapRow = 0;
    int coolant = 0; // 0..5; 5 marks no temperature cell
    int air = 0;

    friend bool operator==(const LivePoints &, const LivePoints &) = default;
};

inline constexpr std::array<std::uint8_t, 10> kTpRowOpenings{0, 2, 5, 10, 20, 30, 40, 60, 80, 100};

// The point of a ten-point axis nearest to `value`; half-way goes to the lower point. `below` is
// set when the value lies under the first point.
int nearestPoint(std::span<const std::uint8_t> axis, int value, bool *below = nullptr);
// Speed axes are held in hundreds of rpm; the live speed is compared in the same unit, at most
// 255 of them.
int nearestSpeedPoint(std::span<const std::uint8_t> axis, int rpm, bool *below = nullptr);
int tpRowOf(int opening);
int iapRowOf(int pressure);
int temperaturePointOf(int temperatureByte);

LivePoints livePoints(const DeviceImage &image, const LiveValues &live);

// Background marks of the cells the edit pointer table reaches, by edit index.
enum class Mark : std::uint8_t { None, Lime, Yellow, Fuchsia };
using Marking = std::array<Mark, kEditTableSize>;

Marking liveMarking(const LivePoints &points, const LiveValues &live, bool inWindow, bool onTarget);

} // namespace velmora::link
