#pragma once

#include "device_image.h"

#include <cstdint>

namespace velmora {

// The bulk operations on curves and maps. Each works on the image alone; the window takes the
// cells over before and runs the after-change step after.

enum class InjectionMap : std::uint8_t { Tp14, Tp23, Iap };

// Where the engine runs now on each axis, as the tick last found it.
struct LiveCell {
    bool belowCurve = true; // below the first advance speed point: no ignition point
    int ignition = 0;
    int servo = 0;
    bool running = false; // live speed not 0
    int tpRow = 0;
    int tp14Column = 0;
    int tp23Column = 0;
    int iapRow = 0;
    int iapColumn = 0;
};

// Ignition advance one degree down (-1) or up (+1): every point with `all`, else the live point.
// The consistency pass runs first and after each changed point, so "All" stops at the advance
// limit; a single point goes no higher than 60.
void stepIgnitionCurve(DeviceImage &image, int direction, bool all, const LiveCell &live);

// Servo curve one step: points stay within 1..249.
void stepServoCurve(DeviceImage &image, int direction, bool all, const LiveCell &live);

// One map one percent, within 0..250 per cell: the whole map with `all`, else the live cell
// while the engine runs. In the Connected TP mode the TP14 map carries the TP23 map along.
void stepMap(DeviceImage &image, InjectionMap map, int direction, bool all, const LiveCell &live);

// One speed column of a map one percent, every row, whatever the engine does.
void shiftColumn(DeviceImage &image, InjectionMap map, int column, int direction);

// Throttle sensor end points from the live voltage; false (nothing changed) outside the window.
bool captureClosedThrottle(DeviceImage &image, int millivolts);
bool captureOpenThrottle(DeviceImage &image, int millivolts);

// Sets the TP mode; the Connected mode is refused (false, nothing changed) while the two TP
// speed axes differ anywhere.
bool setTpMode(DeviceImage &image, std::uint8_t mode);

} // namespace velmora
