#include "model/parameter_set.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace velmora;

namespace {

std::vector<DeviceImage> randomImages(std::size_t n)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<DeviceImage> images(n);
    for (DeviceImage &image : images)
        for (auto &b : image.bytes())
            b = static_cast<std::uint8_t>(byte(rng));
    return images;
}

// Each iteration passes over a fresh copy of a random image, so the clamping work is real.
void BM_ConsistencyPass(benchmark::State &state)
{
    const auto images = randomImages(64);
    std::size_t i = 0;
    for (auto _ : state) {
        DeviceImage image = images[i++ % images.size()];
        consistencyPass(image);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_ConsistencyPass);

void BM_DefaultSetting(benchmark::State &state)
{
    auto images = randomImages(64);
    std::size_t i = 0;
    for (auto _ : state) {
        DeviceImage image = images[i % images.size()];
        image[layout::kBike] = static_cast<std::uint8_t>(i++ % kModelCount);
        applyDefaults(image);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_DefaultSetting);

} // namespace

BENCHMARK_MAIN();
