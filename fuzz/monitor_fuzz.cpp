// Any monitor reply, against any parameter image: no crash; a reply that fails its check byte
// changes nothing; an accepted one gives gauges within their scales, readable texts, a sample
// that agrees with the live values and the gauges, corrections within what a signed word holds,
// the same display every time, and live points that stay on their axes.
#include "fuzz_check.h"
#include "link/frame.h"
#include "link/live_points.h"
#include "link/monitor_display.h"
#include "model/identity.h"
#include "model/parameter_set.h"

#include <algorithm>
#include <string>

using namespace velmora;
using fuzz::check;

namespace {

bool validUtf8(const std::string &text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                                       : 0;
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
    for (const auto *label : {&d.rpm,
                              &d.intakePressure,
                              &d.lambda,
                              &d.throttle,
                              &d.injection14,
                              &d.injection23,
                              &d.duty,
                              &d.ambientPressure,
                              &d.coolant,
                              &d.air,
                              &d.supply,
                              &d.servoDesired,
                              &d.servoMeasured,
                              &d.blocking,
                              &d.advance,
                              &d.coolantCorrection,
                              &d.airCorrection,
                              &d.pressureCorrection,
                              &d.startCorrection,
                              &d.supplyCorrection,
                              &d.crankPickup,
                              &d.camPickup,
                              &d.programmingCount})
        checkLabel(*label);
    for (const auto &test : d.tests)
        check(!test.empty() && validUtf8(test));
    check(validUtf8(d.version));
    for (int percent : {d.lambdaGauge, d.throttleGauge, d.coolantGauge})
        check(percent >= 0 && percent <= 100);
    check(d.rpmGauge >= 0 && d.dutyGauge >= 0);
}

// The corrections are signed 16-bit words, so a unit that leans the mixture never shows as a
// correction of thousands of percent.
void checkCorrections(const link::MonitorSample &s)
{
    for (double percent : {s.coolantCorrectionPercent, s.airCorrectionPercent,
                           s.pressureCorrectionPercent, s.startCorrectionPercent})
        check(percent >= -3276.8 && percent <= 3276.7);
    check(s.supplyCorrectionUs >= -32768 - 1000 && s.supplyCorrectionUs <= 32767 - 1000);
}

// The sample holds what the live values and the gauges were made from.
void checkSample(const link::MonitorDisplay &d, const link::LiveValues &live)
{
    const link::MonitorSample &s = d.sample;
    check(s.rpm == live.speed && s.lambdaMv == live.lambdaMv && s.throttleMv == live.throttleMv);
    check(s.savingCountdown == live.savingCountdown && s.mapHold == (live.mapHold != 0));
    check(s.throttleValid == (live.throttleOpening <= 100));
    check(d.throttleGauge == (s.throttleValid ? s.throttlePercent : 0));
    check(d.dutyGauge == s.dutyPercent && s.dutyPercent >= 0);
    check(s.coolantSensed || s.coolantCelsius == 80);
    check(s.airSensed || s.airCelsius == 50);
    check(s.coolantCelsius >= -100 && s.coolantCelsius <= 155);
    check(s.advanceDegrees >= 0 && s.advanceDegrees <= 255);
    check(d.versionVisible == (s.unitVersion != kOwnProgramVersion));
    check(d.dataErrorVisible == s.storedDataError);
    for (int mv : {s.intakeMv, s.throttleMv, s.lambdaMv, s.coolantMv, s.airMv, s.ambientMv,
                   s.servoDesiredMv, s.servoMeasuredMv})
        check(mv >= 0 && mv <= 65535 * 5000 / 4092);
    check(s.cells == link::LivePoints{}); // only the link knows the image to place them on
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
    checkCorrections(display.sample);
    checkSample(display, live);
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
