// Decoding one monitor reply into the live values and the monitor display.
#include "link/monitor_display.h"
#include "link/monitor_layout.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velmora::link;

Frame idleReply()
{
    Frame f{};
    f[0] = kMonitorReply;
    auto put16 = [&f](std::size_t at, int v) {
        f[at] = static_cast<std::uint8_t>(v & 0xFF);
        f[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put16(monitor::kRpm, 4200);
    put16(monitor::kIntakePressureCount, 2100);
    put16(monitor::kLambdaCount, 650);
    put16(monitor::kSupplyCount, 980);
    put16(monitor::kInjection14, 110);
    put16(monitor::kCorrections, 1012);
    f[monitor::kThrottlePercent] = 22;
    f[monitor::kCoolant] = 185;
    f[monitor::kAir] = 125;
    f[monitor::kProgramVersion] = 43;
    f[101] = checkByte(std::span<const std::uint8_t>(f.data(), 101));
    return f;
}

void BM_DecodeMonitorReply(benchmark::State &state)
{
    const Frame reply = idleReply();
    const MonitorContext context{state.range(0) != 0, 100, 150,
                                 "Unmatched version of PC and Ignition programs!"};
    LiveValues live;
    MonitorDisplay display;
    for (auto _ : state) {
        decodeMonitor(reply, context, live, display);
        benchmark::DoNotOptimize(display);
    }
}
BENCHMARK(BM_DecodeMonitorReply)->Arg(0)->Arg(1)->ArgName("extended");

} // namespace

BENCHMARK_MAIN();
