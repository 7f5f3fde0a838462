// Writing and reading one parameter file, and reading ten megabytes of words that are no file.
#include "files/parameter_file.h"
#include "model/parameter_set.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

using namespace velmora;

void BM_WriteAndReadParameterFile(benchmark::State &state)
{
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    DeviceImage target;
    bool extended = false;
    for (auto _ : state) {
        const std::string text = files::writeParameterText(image, true);
        benchmark::DoNotOptimize(files::readParameterText(text, target, extended));
    }
}
BENCHMARK(BM_WriteAndReadParameterFile)->Unit(benchmark::kMicrosecond);

// Random words with keywords and numbers among them, behind an accepted key: the reader's
// worst ordinary case, every word looked at.
std::string randomWords(std::size_t bytes)
{
    static const char *const kWords[] = {"RPM_ADV", "JET_TP",     "12",   "-5",
                                         "65536",   "CHOKE",      "word", "TUNING",
                                         "x9",      "4294967339", "BIKE", "EXT_MON"};
    std::mt19937 rng(10);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
    std::string text = "KORVANTA_KEY 43\r\n";
    while (text.size() < bytes) {
        text += kWords[pick(rng)];
        text += (rng() % 8 == 0) ? "\r\n" : " ";
    }
    return text;
}

void BM_ReadTenMegabytesOfWords(benchmark::State &state)
{
    const std::string text = randomWords(10u << 20);
    DeviceImage target;
    bool extended = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(files::readParameterText(text, target, extended));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadTenMegabytesOfWords)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
