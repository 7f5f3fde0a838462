// Tuning convergence on the simulated engine, ticks counted by hand: the engine held in one TP14
// cell that needs 6 % more fuel than the map gives, default tuning settings. Prints the ticks
// from entering the tuning window to lambda on target, next to the floor the rules allow.
//
//   velmora_tuning_bench [--json]
#include "link/headless_view.h"
#include "link/link.h"
#include "link/memory_port.h"
#include "model/parameter_set.h"
#include "sim/block_store.h"
#include "sim/responder.h"

#include <cstdio>
#include <cstring>

using namespace velmora;

int main(int argc, char **argv)
{
    const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
    constexpr std::size_t kCell = 43; // row 4 (20 %), column 3 (4000 rpm)
    sim::Responder unit;
    sim::OperatingPoint point;
    point.rpm = 4000;
    point.throttlePercent = 20;
    point.loadMode = sim::LoadMode::Throttle;
    unit.engine().hold(point);
    unit.engine().requirement().set(sim::FuelMap::Tp14, kCell, 106);

    DeviceImage image = unit.store().image();
    link::HeadlessView view(image, 1);
    view.setTuning(true, link::Link::kTp14Page);
    link::Link link(image, view);
    link::MemoryPort port;
    link.setPort(&port);
    auto now = sim::Clock::now();
    port.answer = [&](const link::Frame &request) {
        if (auto reply = unit.answer(request, now))
            port.push(*reply);
    };

    const std::uint8_t start = image[layout::kJetTp + kCell];
    const int lowest = image[layout::kTuningLambda] * 10 - image[layout::kTuningHyster] * 10;
    const int highest = image[layout::kTuningLambda] * 10 + image[layout::kTuningHyster] * 10;
    int tick = 0, entered = -1, onTarget = -1;
    while (tick < 100000 && onTarget < 0) {
        now += std::chrono::milliseconds(55);
        link.tick();
        ++tick;
        if (entered < 0 && link.inWindow())
            entered = tick;
        const int mv = link.live().lambdaMv;
        if (entered >= 0 && link.live().fresh && mv >= lowest && mv <= highest)
            onTarget = tick;
    }
    if (onTarget < 0) {
        std::fprintf(stderr, "the tuning did not reach the target\n");
        return 1;
    }
    const int steps = image[layout::kJetTp + kCell] - start;
    const int steadyCalls = 2 * image[layout::kTuningTime];
    const int floor = steps * (steadyCalls + 1);
    const int used = onTarget - entered;
    if (json) {
        std::printf("{\"steps\": %d, \"block_writes\": %zu, \"ticks\": %d, "
                    "\"ticks_floor\": %d}\n",
                    steps, unit.counters().perCommand[3], used, floor);
        return 0;
    }
    std::printf("Tuning a TP14 cell 6 %% lean (target %d..%d mV, time step %d ms)\n", lowest,
                highest, image[layout::kTuningTime] * 100);
    std::printf("  one-percent steps: %d, block writes: %zu\n", steps,
                unit.counters().perCommand[3]);
    std::printf("  ticks from entering the window to on target: %d (%.2f s)\n", used, used * 0.055);
    std::printf("  floor: %d steps x (%d steady calls + 1 write) = %d ticks\n", steps, steadyCalls,
                floor);
    std::printf("  ratio: %.2f\n", static_cast<double>(used) / floor);
    return 0;
}
