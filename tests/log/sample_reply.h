#pragma once

#include "link/monitor_display.h"

#include <string>

namespace velmora::log::test {

// A monitor reply with every column set, a value of each kind: an "error", a negative number,
// a rounded decimal, both states, a version text that needs quoting, the live cells.
inline link::MonitorDisplay sampleReply()
{
    link::MonitorDisplay d;
    link::MonitorSample &s = d.sample;
    s.rpm = 4250;
    s.throttleValid = true;
    s.throttlePercent = 37;
    s.lambdaMv = 455;
    s.coolantCelsius = -5;
    s.airCelsius = 21;
    s.intakeValid = false; // the monitor shows "error"
    s.intakePercent = 130;
    s.ambientKpa = 98.64;
    s.supplyVolts = 13.75;
    s.advanceDegrees = 28;
    s.crankRunning = true;
    s.camRunning = false;
    s.injection14Us = 2480;
    s.injection23Us = 2512;
    s.dutyPercent = 19;
    s.blocking = true;
    s.servoDesiredMv = 1250;
    s.servoMeasuredMv = 1238;
    s.coolantCorrectionPercent = -2.5;
    s.airCorrectionPercent = 1.5;
    s.pressureCorrectionPercent = -0.5;
    s.startCorrectionPercent = 12.0;
    s.supplyCorrectionUs = 44;
    s.programmingCount = 17;
    s.throttleLoad = false;
    s.cells.tpRow = 4;
    s.cells.tp14Column = 7;
    s.cells.tp23Column = 6;
    s.cells.iapRow = 2;
    s.cells.iapColumn = 9;
    d.version = "Unmatched version, \"PC-43\"";
    d.versionVisible = true;
    d.dataErrorVisible = true;
    return d;
}

} // namespace velmora::log::test
