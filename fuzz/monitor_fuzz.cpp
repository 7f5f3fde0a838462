// Any monitor reply, against any parameter image: no crash; a reply that fails its check byte
// changes nothing; an accepted one gives gauges within their scales, readable texts, corrections
// within what a signed word holds, the same display every time, and live points that stay on
// their axes.
#include "fuzz_check.h"
#include "link/frame.h"
#include "link/live_points.h"
#include "link/monitor_display.h"
#include "model/parameter_set.h"

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace velmora;
using fuzz::check;

namespace {

bool validUtf8(const std::string &text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

void checkLabel(const link::LabelText &label)
{
    check(!label.text.empty() && validUtf8(label.text));
}

void checkDisplay(const link::MonitorDisplay &d)
{
    for (const auto *label :
         {&d.rpm, &d.intakePressure, &d.lambda, &d.throttle, &d.injection14, &d.injection23,
          &d.duty, &d.ambientPressure, &d.coolant, &d.air, &d.supply, &d.servoDesired,
          &d.servoMeasured, &d.blocking, &d.advance, &d.coolantCorrection, &d.airCorrection,
          &d.pressureCorrection, &d.startCorrection, &d.supplyCorrection, &d.crankPickup,
          &d.camPickup, &d.programmingCount})
        checkLabel(*label);
    for (const auto &test : d.tests)
        check(!test.empty() && validUtf8(test));
    check(validUtf8(d.version));
    for (int percent : {d.lambdaGauge, d.throttleGauge, d.coolantGauge})
        check(percent >= 0 && percent <= 100);
    check(d.rpmGauge >= 0 && d.dutyGauge >= 0);
}

// The number a label shows after its '='.
double shownNumber(const link::LabelText &label)
{
    return std::strtod(label.text.c_str() + label.text.find('=') + 1, nullptr);
}

// The corrections are signed 16-bit words, so a unit that leans the mixture never shows as a
// correction of thousands of percent.
void checkCorrections(const link::MonitorDisplay &d)
{
    for (const auto *label :
         {&d.coolantCorrection, &d.airCorrection, &d.pressureCorrection, &d.startCorrection}) {
        const double percent = shownNumber(*label);
        check(percent >= -3276.8 && percent <= 3276.7);
    }
    const double us = shownNumber(d.supplyCorrection);
    check(us >= -32768 - 1000 && us <= 32767 - 1000);
}

bool onAxis(int point)
{
    return point >= 0 && point < static_cast<int>(layout::kCurvePoints);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    // Four bytes of context, then the reply, then bytes laid over the parameter image.
    const std::uint8_t flags = data[0];
    link::MonitorContext context;
    context.extended = (flags & 1) != 0;
    context.advanceLimit = data[1];
    context.limiter = data[2];
    context.versionMismatch = "Version mismatch!";
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);

    link::Frame reply{};
    const std::size_t replyBytes = std::min(size - 4, link::kFrameSize);
    std::copy_n(data + 4, replyBytes, reply.begin());
    if (flags & 2) // most inputs would fail the check byte; let half of them pass it
        reply.back() = link::checkByte(std::span<const std::uint8_t>(reply.data(), 101));
    for (std::size_t i = 4 + replyBytes, at = layout::kParameterStart; i < size; ++i) {
        image[at] = data[i];
        at = at + 1 < layout::kImageSize ? at + 1 : layout::kParameterStart;
    }

    link::LiveValues live;
    live.speed = 1234; // what an earlier reply left
    link::MonitorDisplay display;
    display.rpm.text = "RPM = 1234 ";
    const link::LiveValues liveBefore = live;
    const link::MonitorDisplay displayBefore = display;
    const bool accepted = link::decodeMonitor(reply, context, live, display);
    check(accepted == link::frameValid(reply));
    if (!accepted) {
        check(live == liveBefore && display == displayBefore);
        return 0;
    }
    check(live.fresh);
    checkDisplay(display);
    checkCorrections(display);
    link::LiveValues again;
    link::MonitorDisplay secondDisplay;
    check(link::decodeMonitor(reply, context, again, secondDisplay));
    check(again == live && secondDisplay == display);

    const link::LivePoints points = link::livePoints(image, live);
    for (int point : {points.ignition, points.servo, points.tp14Column, points.tp23Column,
                      points.iapColumn, points.tpRow, points.iapRow})
        check(onAxis(point));
    for (int point : {points.coolant, points.air})
        check(point >= 0 && point <= static_cast<int>(layout::kTempPoints));
    const link::Marking marking = link::liveMarking(points, live, flags & 4, flags & 8);
    // One live cell per map at most: a tuning step must never see two candidates.
    const auto marked = std::count_if(marking.begin(), marking.end(), [](link::Mark m) {
        return m == link::Mark::Yellow || m == link::Mark::Fuchsia;
    });
    check(marked <= 2);
    return 0;
}
