#include "link/monitor_display.h"
#include "link/monitor_layout.h"
#include "model/parameter_set.h"
#include "sim/responder.h"

#include <gtest/gtest.h>

using namespace velmora::link;
namespace m = velmora::link::monitor;

namespace {

// A reply of an idling engine with every sensor in range; tests change single bytes.
class Reply {
public:
    Reply()
    {
        put16(m::kRpm, 1200);
        put16(m::kIntakePressureCount, 2000);
        put16(m::kSupplyCount, 1000);
        data[m::kThrottlePercent] = 5;
        data[m::kCoolant] = 185;
        data[m::kAir] = 125;
        data[m::kServoInOrder] = 1;
        data[m::kProgramVersion] = 43;
        put16(m::kSupplyCorrection, 1000);
    }
    void put16(std::size_t at, int value)
    {
        data[at] = static_cast<std::uint8_t>(value & 0xFF);
        data[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    Frame frame() const
    {
        Frame f = data;
        f[0] = kMonitorReply;
        f[101] = checkByte(std::span<const std::uint8_t>(f.data(), 101));
        return f;
    }
    MonitorDisplay decode(bool extended = false, std::uint8_t limiter = 150,
                          std::uint8_t advanceLimit = 100) const
    {
        LiveValues live;
        MonitorDisplay d;
        MonitorContext c{extended, advanceLimit, limiter,
                         "Unmatched version of PC and Ignition programs!"};
        EXPECT_TRUE(decodeMonitor(frame(), c, live, d));
        return d;
    }
    Frame data{};
};

// The count that gives `mv` millivolts by the unit's truncating rule.
int countFor(int mv)
{
    int count = mv * 4092 / 5000;
    while (count * 5000 / 4092 < mv)
        ++count;
    return count;
}

} // namespace

TEST(MonitorDisplay, BadCheckByteChangesNothing)
{
    Reply r;
    Frame f = r.frame();
    f[101] ^= 0x01;
    LiveValues live;
    live.speed = 77;
    MonitorDisplay d;
    d.rpm.text = "before";
    EXPECT_FALSE(decodeMonitor(f, MonitorContext{}, live, d));
    EXPECT_EQ(live.speed, 77);
    EXPECT_FALSE(live.fresh);
    EXPECT_EQ(d.rpm.text, "before");
}

TEST(MonitorDisplay, SpeedTextGaugeAndAlarms)
{
    Reply r;
    r.put16(m::kRpm, 7500);
    MonitorDisplay d = r.decode();
    EXPECT_EQ(d.rpm.text, "RPM = 7500 ");
    EXPECT_EQ(d.rpmGauge, 50);
    EXPECT_EQ(d.rpm.colour, Colour::Normal);
    r.data[m::kSpeedAlarm2] = 1;
    EXPECT_EQ(r.decode().rpm.colour, Colour::Yellow);
    r.data[m::kSpeedAlarm1] = 1;
    EXPECT_EQ(r.decode().rpm.colour, Colour::Red);
    // A limiter of 0 (a half-read image) gives an empty gauge instead of a crash.
    EXPECT_EQ(r.decode(false, 0).rpmGauge, 0);
}

TEST(MonitorDisplay, IntakePressureRangeIsTestedOnTheCount)
{
    Reply r;
    r.data[m::kIntakePercent] = 42;
    for (int count : {421, 4024}) {
        r.put16(m::kIntakePressureCount, count);
        EXPECT_EQ(r.decode().intakePressure.text, "IAP= 42 [%]") << count;
        EXPECT_EQ(r.decode().intakePressure.colour, Colour::Normal);
    }
    r.put16(m::kIntakePressureCount, 420);
    EXPECT_EQ(r.decode().intakePressure.text, "IAP= error");
    EXPECT_EQ(r.decode().intakePressure.colour, Colour::Red);
    EXPECT_EQ(r.decode(true).intakePressure.text, "IAP= error = 513 [mV]");
    r.put16(m::kIntakePressureCount, 4025);
    EXPECT_EQ(r.decode().intakePressure.colour, Colour::Red);
    r.put16(m::kIntakePressureCount, 2000);
    EXPECT_EQ(r.decode(true).intakePressure.text, "IAP= 42 [%] = 2443 [mV]");
}

TEST(MonitorDisplay, ThrottleAndLambda)
{
    Reply r;
    r.data[m::kThrottlePercent] = 100;
    r.put16(m::kThrottleCount, 3500);
    EXPECT_EQ(r.decode().throttle.text, "TP= 100 [%]");
    EXPECT_EQ(r.decode().throttleGauge, 100);
    EXPECT_EQ(r.decode(true).throttle.text, "TP= 100 [%]= 4276 [mV]");
    r.data[m::kThrottlePercent] = 101;
    EXPECT_EQ(r.decode().throttle.text, "TP=error = 4276 [mV]");
    EXPECT_EQ(r.decode().throttle.colour, Colour::Red);
    EXPECT_EQ(r.decode().throttleGauge, 0);

    const std::pair<int, int> lambda[] = {{399, 0}, {400, 0}, {406, 1}, {1000, 100}, {1200, 100}};
    for (const auto &[mv, gauge] : lambda) {
        const int count = countFor(mv);
        r.put16(m::kLambdaCount, count);
        const MonitorDisplay d = r.decode();
        const int shown = count * 5000 / 4092; // not every millivolt value has a count
        ASSERT_LE(shown - mv, 1);
        EXPECT_EQ(d.lambdaGauge, gauge) << mv;
        EXPECT_EQ(d.lambda.text, "LAMBDA = " + std::to_string(shown) + " [mV]");
    }
}

TEST(MonitorDisplay, CoolantAndAir)
{
    Reply r;
    const struct {
        int byte;
        const char *text;
        Colour label;
        int gauge;
        Colour gaugeColour;
    } cases[] = {{0, "TW= 80 [°C]", Colour::Red, 80, Colour::Red},
                 {199, "TW= 99 [°C]", Colour::Normal, 99, Colour::Aqua},
                 {200, "TW= 100 [°C]", Colour::Yellow, 100, Colour::Yellow},
                 {60, "TW= -40 [°C]", Colour::Normal, 0, Colour::Aqua}};
    for (const auto &c : cases) {
        r.data[m::kCoolant] = static_cast<std::uint8_t>(c.byte);
        const MonitorDisplay d = r.decode();
        EXPECT_EQ(d.coolant.text, c.text);
        EXPECT_EQ(d.coolant.colour, c.label) << c.byte;
        EXPECT_EQ(d.coolantGauge, c.gauge) << c.byte;
        EXPECT_EQ(d.coolantGaugeColour, c.gaugeColour) << c.byte;
    }
    r.data[m::kAir] = 0;
    EXPECT_EQ(r.decode().air.text, "AT= 50 [°C]");
    EXPECT_EQ(r.decode().air.colour, Colour::Red);
    r.data[m::kAir] = 125;
    r.put16(m::kAirCount, 1000);
    EXPECT_EQ(r.decode(true).air.text, "AT= 25 [°C]= 1221 [mV]");
}

TEST(MonitorDisplay, SupplyVoltageBands)
{
    Reply r;
    r.put16(m::kSupplyCount, 950);
    EXPECT_EQ(r.decode().supply.text, "U = 13.4 [V]");
    EXPECT_EQ(r.decode().supply.colour, Colour::Normal);
    const std::pair<int, Colour> bands[] = {{7000, Colour::Red},     {7001, Colour::Yellow},
                                            {11000, Colour::Yellow}, {11001, Colour::Normal},
                                            {14998, Colour::Normal}, {14999, Colour::Yellow},
                                            {17998, Colour::Yellow}, {17999, Colour::Red}};
    for (const auto &[u, colour] : bands)
        EXPECT_EQ(supplyColour(u), colour) << u;
    r.put16(m::kSupplyCount, 500); // 610 mV -> U = 7360: yellow
    EXPECT_EQ(r.decode().supply.colour, Colour::Yellow);
    r.put16(m::kSupplyCount, 0); // 650 mV, far below the lowest band
    EXPECT_EQ(r.decode().supply.text, "U =  0.7 [V]");
}

TEST(MonitorDisplay, InjectionAdvanceAndCorrections)
{
    Reply r;
    r.put16(m::kRpm, 6000);
    r.put16(m::kInjection14, 100); // 3000 us
    r.put16(m::kInjection23, 80);  // 2400 us
    MonitorDisplay d = r.decode();
    EXPECT_EQ(d.injection14.text, "INJ. TIME 14 = 3000 [us]");
    EXPECT_EQ(d.injection23.text, "INJ. TIME 23 = 2400 [us]");
    EXPECT_EQ(d.duty.text, "INJ. DUTY = 15 [%]");
    EXPECT_EQ(d.dutyGauge, 15);
    EXPECT_EQ(d.dutyGaugeColour, Colour::Aqua);
    r.put16(m::kRpm, 20000);
    r.put16(m::kInjection14, 300); // 9 ms: 150 %
    EXPECT_EQ(r.decode().dutyGaugeColour, Colour::Yellow);
    r.put16(m::kRpm, 0);
    EXPECT_EQ(r.decode().dutyGauge, 0);

    r.data[m::kSparkPosition] = 72;
    EXPECT_EQ(r.decode().advance.text, "ADVANCE = 28 [°]");
    r.data[m::kSparkPosition] = 100;
    EXPECT_EQ(r.decode().advance.text, "ADVANCE = 0 [°]");

    r.put16(m::kSupplyCorrection, 950);
    r.put16(m::kCorrections, 1234);
    r.put16(m::kCorrections + 2, 95);
    d = r.decode();
    EXPECT_EQ(d.supplyCorrection.text, "U correction= -50 us");
    EXPECT_EQ(d.coolantCorrection.text, "TW correction= 123.4 %");
    EXPECT_EQ(d.airCorrection.text, "AT correction= 9.5 %");
}

TEST(MonitorDisplay, CorrectionsAreSignedSoALeaningUnitShowsANegativeCorrection)
{
    const struct {
        LabelText MonitorDisplay::*label;
        std::string prefix;
    } fields[] = {{&MonitorDisplay::coolantCorrection, "TW correction= "},
                  {&MonitorDisplay::airCorrection, "AT correction="},
                  {&MonitorDisplay::pressureCorrection, "AP correction= "},
                  {&MonitorDisplay::startCorrection, "Starting corr.= "}};
    const std::pair<int, std::string> words[] = {{65526, "-1.0 %"},
                                                 {32767, "3276.7 %"},
                                                 {32768, "-3276.8 %"},
                                                 {65535, "-0.1 %"},
                                                 {0, " 0.0 %"}};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        for (const auto &[value, shown] : words) {
            Reply r;
            r.put16(m::kCorrections + 2 * i, value);
            const MonitorDisplay d = r.decode();
            EXPECT_EQ((d.*fields[i].label).text, fields[i].prefix + shown) << i << ": " << value;
            // Each word is its own field: the neighbours stay at no correction.
            for (std::size_t other = 0; other < std::size(fields); ++other) {
                if (other == i)
                    continue;
                EXPECT_EQ((d.*fields[other].label).text, fields[other].prefix + " 0.0 %");
            }
        }
    }

    const std::pair<int, std::string> supply[] = {
        {1000, "0"}, {0, "-1000"}, {32767, "31767"}, {32768, "-33768"}, {65526, "-1010"}};
    for (const auto &[value, shown] : supply) {
        Reply r;
        r.put16(m::kSupplyCorrection, value);
        EXPECT_EQ(r.decode().supplyCorrection.text, "U correction= " + shown + " us") << value;
    }
}

// The simulated unit's own reply at 110 degrees, where the defaults of models 0 and 3 lean the
// mixture by 1 % for the coolant and model 3 by 3 % for the air.
TEST(MonitorDisplay, HotEngineShowsTheUnitsLeaningCorrections)
{
    const struct {
        std::uint8_t model;
        const char *air;
    } units[] = {{0, "AT correction= 0.0 %"}, {3, "AT correction=-3.0 %"}};
    for (const auto &unit : units) {
        velmora::DeviceImage image = velmora::sim::BlockStore::defaultImage();
        image[velmora::layout::kBike] = unit.model;
        velmora::applyDefaults(image);
        velmora::sim::Responder responder{velmora::sim::BlockStore(image)};
        velmora::sim::OperatingPoint hot;
        hot.coolantCelsius = 110;
        hot.airCelsius = 110;
        responder.engine().hold(hot);
        const auto reply = responder.answer(makeFrame(kMonitorCommand, {}), {});
        ASSERT_TRUE(reply);
        LiveValues live;
        MonitorDisplay d;
        ASSERT_TRUE(decodeMonitor(*reply, MonitorContext{}, live, d));
        EXPECT_EQ(d.coolantCorrection.text, "TW correction= -1.0 %") << int(unit.model);
        EXPECT_EQ(d.airCorrection.text, unit.air) << int(unit.model);
    }
}

TEST(MonitorDisplay, VersionPickupsServoAndTestValues)
{
    Reply r;
    MonitorDisplay d = r.decode();
    EXPECT_FALSE(d.versionVisible);
    EXPECT_EQ(d.crankPickup.text, "Pick-up (CKPS) - no signal");
    r.data[m::kProgramVersion] = 42;
    r.data[m::kCrankPickup] = 1;
    r.data[m::kServoInOrder] = 0;
    r.data[m::kStoredDataError] = 1;
    r.data[m::kBlocking] = 1;
    r.put16(m::kTestValues + 14, 777);
    r.put16(m::kProgrammingCycles, 12);
    d = r.decode(true);
    EXPECT_TRUE(d.versionVisible);
    EXPECT_EQ(d.version, "Unmatched version of PC and Ignition programs!  PC-43, IGN-42");
    EXPECT_EQ(d.crankPickup.text, "Pick-up (CKPS) - is running");
    EXPECT_EQ(d.crankPickup.colour, Colour::Lime);
    EXPECT_EQ(d.servoMeasured.colour, Colour::Red);
    EXPECT_TRUE(d.dataErrorVisible);
    EXPECT_EQ(d.blocking.text, "Blocking = ON");
    EXPECT_EQ(d.tests[7], "Test8 = 777 ");
    EXPECT_EQ(d.tests[0], "Test1 = 0 ");
    EXPECT_TRUE(d.programmingCountVisible);
    EXPECT_EQ(d.programmingCount.text, "Number of Programing= 12 ");
    EXPECT_EQ(d.ambientPressure.colour, std::nullopt); // the reply never colours it
}

// The sample holds the numbers the labels show, signed where the unit sends less than nothing,
// with the sensor faults the labels show as "error" or a stand-in value.
TEST(MonitorSample, CarriesEveryValueInItsUnit)
{
    Reply r;
    r.put16(m::kRpm, 6000);
    r.data[m::kSpeedAlarm2] = 1;
    r.data[m::kThrottlePercent] = 37;
    r.put16(m::kThrottleCount, countFor(1500));
    r.data[m::kIntakePercent] = 64;
    r.put16(m::kIntakePressureCount, countFor(2440));
    r.put16(m::kLambdaCount, countFor(812));
    r.data[m::kCoolant] = 95; // -5 degrees
    r.put16(m::kCoolantCount, countFor(3090));
    r.data[m::kAir] = 0; // no sensor
    r.put16(m::kAmbientPressure, 987);
    r.put16(m::kAmbientPressureCount, countFor(4000));
    r.put16(m::kSupplyCount, countFor(1140)); // 1140 * 11 + 650 mV
    r.put16(m::kInjection14, 200);
    r.put16(m::kInjection23, 150);
    r.put16(m::kServoDesired, countFor(2222));
    r.put16(m::kServoMeasured, countFor(2100));
    r.data[m::kSparkPosition] = 70;
    r.put16(m::kCorrections, 25);         // +2.5 %
    r.put16(m::kCorrections + 2, 0xFFE2); // -3.0 %
    r.put16(m::kCorrections + 4, 0x8000); // the most negative word
    r.put16(m::kCorrections + 6, 32767);
    r.put16(m::kSupplyCorrection, 960); // -40 us
    r.data[m::kCamPickup] = 1;
    r.data[m::kBlocking] = 1;
    r.data[m::kProgramVersion] = 41;
    r.put16(m::kProgrammingCycles, 321);
    r.put16(m::kTestValues + 4, 65535);
    r.put16(m::kSavingCountdown, 400);
    r.data[m::kLoadMode] = 1;

    const MonitorDisplay d = r.decode(false, 150, 100);
    const MonitorSample &s = d.sample;
    EXPECT_EQ(s.rpm, 6000);
    EXPECT_FALSE(s.speedAlarm1);
    EXPECT_TRUE(s.speedAlarm2);
    EXPECT_EQ(s.throttlePercent, 37);
    EXPECT_TRUE(s.throttleValid);
    EXPECT_EQ(s.throttleMv, 1500);
    EXPECT_EQ(s.intakePercent, 64);
    EXPECT_TRUE(s.intakeValid);
    EXPECT_EQ(s.intakeMv, 2440);
    EXPECT_EQ(s.lambdaMv, 812);
    EXPECT_EQ(s.coolantCelsius, -5);
    EXPECT_TRUE(s.coolantSensed);
    EXPECT_EQ(s.coolantMv, 3090);
    EXPECT_EQ(s.airCelsius, 50);
    EXPECT_FALSE(s.airSensed);
    EXPECT_DOUBLE_EQ(s.ambientKpa, 98.7);
    EXPECT_EQ(s.ambientMv, 4000);
    EXPECT_EQ(s.supplyMv, 1140 * 11 + 650);
    EXPECT_DOUBLE_EQ(s.supplyVolts, 13.19);
    EXPECT_EQ(s.injection14Us, 6000);
    EXPECT_EQ(s.injection23Us, 4500);
    EXPECT_EQ(s.dutyPercent, 30); // 6000 rpm * 6000 us over two turns
    EXPECT_EQ(s.servoDesiredMv, 2222);
    EXPECT_EQ(s.servoMeasuredMv, 2100);
    EXPECT_TRUE(s.servoInOrder);
    EXPECT_TRUE(s.blocking);
    EXPECT_EQ(s.advanceDegrees, 30);
    EXPECT_DOUBLE_EQ(s.coolantCorrectionPercent, 2.5);
    EXPECT_DOUBLE_EQ(s.airCorrectionPercent, -3.0);
    EXPECT_DOUBLE_EQ(s.pressureCorrectionPercent, -3276.8);
    EXPECT_DOUBLE_EQ(s.startCorrectionPercent, 3276.7);
    EXPECT_EQ(s.supplyCorrectionUs, -40);
    EXPECT_FALSE(s.crankRunning);
    EXPECT_TRUE(s.camRunning);
    EXPECT_FALSE(s.storedDataError);
    EXPECT_EQ(s.unitVersion, 41);
    EXPECT_EQ(s.programmingCount, 321);
    EXPECT_EQ(s.tests, (std::array<int, 8>{0, 0, 65535, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.savingCountdown, 400);
    EXPECT_FALSE(s.mapHold);
    EXPECT_TRUE(s.throttleLoad);
    // The texts show the same numbers.
    EXPECT_EQ(d.coolant.text, "TW= -5 [°C]");
    EXPECT_EQ(d.airCorrection.text, "AT correction=-3.0 %");
    EXPECT_EQ(d.supply.text, "U = 13.2 [V]");

    // Sensor faults: the labels say "error", the sample says not valid; a reply past the
    // advance limit shows none.
    r.data[m::kThrottlePercent] = 101;
    r.put16(m::kIntakePressureCount, 420);
    r.data[m::kCoolant] = 0;
    r.data[m::kSparkPosition] = 100;
    r.data[m::kServoInOrder] = 0;
    r.data[m::kStoredDataError] = 1;
    const MonitorSample faults = r.decode().sample;
    EXPECT_FALSE(faults.throttleValid);
    EXPECT_EQ(faults.throttlePercent, 101);
    EXPECT_FALSE(faults.intakeValid);
    EXPECT_FALSE(faults.coolantSensed);
    EXPECT_EQ(faults.coolantCelsius, 80);
    EXPECT_EQ(faults.advanceDegrees, 0);
    EXPECT_FALSE(faults.servoInOrder);
    EXPECT_TRUE(faults.storedDataError);
}
