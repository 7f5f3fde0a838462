// Whole-map analysis against the one-cell tuning on the simulated engine, every tick driven by
// hand. The simulated unit has the narrow-band sensor, noise and a hidden random fuel field of
// up to +-15 %; it rides the route from a cold start while the link's monitor polls it.
//
// Analysis: each ride is logged by the window's log writer, analysed with the default settings,
// the proposals applied and the result programmed into the unit; at most three rides. After
// each ride: the share of visited cells whose byte lies within one step of the hidden target,
// the byte at which the simulated sensor (without its noise) reads the TUNING target.
// One-cell tuning: the same route ridden over and over with the tuning on and the page of the
// map the load comes from on show, until the same cells reach the same share (or the cap).
// The analysis of a six-hour log is timed by velmora_analysis_bench.
//
// The simulated sensor reads the mixture of the TP14 map's cylinders, so the TP maps are judged
// by TP14 alone: the analysis proposes for TP14 and IAP, and the share counts their cells.
//
//   velmora_ride_convergence_bench [--json]
#include "analysis/map_analysis.h"
#include "link/headless_view.h"
#include "link/link.h"
#include "link/memory_port.h"
#include "log/log_format.h"
#include "log/ride_log.h"
#include "sim/engine_options.h"
#include "sim/responder.h"
#include "sim/ride_route.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t kSeed = 19;
constexpr unsigned kFieldPercent = 15;
constexpr unsigned kNoiseMv = 30;
constexpr int kAnalysisRides = 3;
constexpr int kMaxTuningRides = 30;
constexpr auto kTick = 55ms;
constexpr int kTicksPerCheck = 18; // the one-cell tuning's share is looked at once a second
constexpr std::array<bool, analysis::kMaps> kJudgedMaps{true, false, true};
constexpr std::array<std::size_t, analysis::kMaps> kMapOffsets{layout::kJetTp, layout::kJetTpi,
                                                               layout::kJetIap};
constexpr std::array<sim::FuelMap, analysis::kMaps> kSimMaps{sim::FuelMap::Tp14, sim::FuelMap::Tp23,
                                                             sim::FuelMap::Iap};

using Cells = std::array<std::array<std::array<bool, 10>, 10>, analysis::kMaps>;

// The simulated unit and the link on one memory line, with a clock of their own.
class Rig {
public:
    Rig() : m_view(m_image, 1)
    {
        sim::EngineOptions options;
        options.route = true;
        options.fieldPercent = kFieldPercent;
        options.lambdaCurve = sim::LambdaCurve::NarrowBand;
        options.noiseMv = kNoiseMv;
        options.seed = kSeed;
        m_unit.engine() = options.makeEngine(m_unit.store().image());
        m_route = sim::rideRoute(m_unit.store().image(), kSeed);
        m_image = m_unit.store().image();
        m_link.setPort(&m_port);
        m_port.answer = [this](const link::Frame &request) {
            if (auto reply = m_unit.answer(request, m_now))
                m_port.push(*reply);
        };
    }

    int rideTicks() const { return static_cast<int>(sim::scriptLength(m_route) / kTick); }
    void startRide() { m_unit.engine().setSchedule(sim::EngineSchedule::scripted(m_route)); }

    // One tick; true when a fresh monitor reply came in.
    bool tick()
    {
        m_now += kTick;
        const int shown = m_view.monitorCount();
        if (m_tuning) {
            const bool intake = m_unit.engine().point().loadMode == sim::LoadMode::IntakePressure;
            m_view.setTuning(true, intake ? link::Link::kIapPage : link::Link::kTp14Page);
        }
        m_link.tick();
        return m_view.monitorCount() != shown;
    }

    void setTuning(bool on)
    {
        m_tuning = on;
        m_view.setTuning(on, link::Link::kTp14Page);
    }

    // A Program pass of the PC's image; false when it did not end Ok.
    bool program()
    {
        m_view.forgetEnded();
        m_link.MenuProgramClick();
        for (int i = 0; i < 1000 && !m_view.ended(); ++i)
            tick();
        return m_view.ended() &&
               *m_view.ended() ==
                   link::HeadlessView::Ended{link::Transaction::Program, link::Outcome::Ok};
    }

    DeviceImage &image() { return m_image; }
    const DeviceImage &unitImage() const { return m_unit.store().image(); }
    const link::MonitorDisplay &display() const { return m_view.display(); }
    const sim::Engine &engine() const { return m_unit.engine(); }

private:
    sim::Responder m_unit;
    DeviceImage m_image;
    link::HeadlessView m_view;
    link::Link m_link{m_image, m_view};
    link::MemoryPort m_port;
    sim::Clock::time_point m_now = sim::Clock::now();
    sim::Script m_route;
    bool m_tuning = false;
};

// The byte at which the sensor, without noise, reads the set's TUNING target.
double hiddenTarget(const Rig &rig, int map, int row, int column)
{
    const double targetMv = rig.unitImage()[layout::kTuningLambda] * 10.0;
    const double need = rig.engine().requirement().at(kSimMaps[static_cast<std::size_t>(map)],
                                                      static_cast<std::size_t>(10 * row + column));
    return need * rig.engine().lambdaSensor().ratioReading(targetMv);
}

// Percent of `cells` whose byte in the unit lies within one step of its hidden target.
double sharePercent(const Rig &rig, const Cells &cells)
{
    int counted = 0, near = 0;
    for (int m = 0; m < analysis::kMaps; ++m)
        for (int r = 0; r < 10; ++r)
            for (int c = 0; c < 10; ++c) {
                if (!cells[m][r][c])
                    continue;
                ++counted;
                const int byte =
                    rig.unitImage()[kMapOffsets[static_cast<std::size_t>(m)] + 10u * r + c];
                near += std::abs(byte - hiddenTarget(rig, m, r, c)) <= 1.0;
            }
    return counted ? 100.0 * near / counted : 0.0;
}

// One ride of the route, logged as the window logs it.
std::string ride(Rig &rig)
{
    const log::LogFormat format(true);
    std::string text = format.header();
    const std::chrono::system_clock::time_point start{std::chrono::seconds(1798761600)};
    rig.startRide();
    const int ticks = rig.rideTicks();
    for (int t = 1; t <= ticks; ++t)
        if (rig.tick())
            text += format.monitorRow(rig.display(), start + t * kTick);
    return text;
}

struct AnalysisFigures {
    std::vector<double> shares; // after each ride
    double before = 0;
    int visited = 0;
    Cells cells{};
    double rideSeconds = 0;
};

std::optional<AnalysisFigures> analyseRides()
{
    Rig rig;
    AnalysisFigures figures;
    figures.rideSeconds = rig.rideTicks() * 0.055;
    analysis::Settings settings;
    settings.maps = kJudgedMaps;
    for (int n = 0; n < kAnalysisRides; ++n) {
        const log::LogReadResult read = log::parseRideLog(ride(rig));
        if (!read.log) {
            std::fprintf(stderr, "the ride's log did not read back\n");
            return std::nullopt;
        }
        const analysis::Analysis result = analysis::analyze(*read.log, rig.image(), settings);
        for (int m = 0; m < analysis::kMaps; ++m)
            for (int r = 0; r < 10; ++r)
                for (int c = 0; c < 10; ++c)
                    figures.cells[m][r][c] =
                        figures.cells[m][r][c] ||
                        (kJudgedMaps[static_cast<std::size_t>(m)] && result.maps[m][r][c].visited);
        if (n == 0)
            figures.before = sharePercent(rig, figures.cells);
        analysis::applyProposals(result, analysis::Exclusions{}, rig.image());
        if (!rig.program()) {
            std::fprintf(stderr, "programming the proposals failed\n");
            return std::nullopt;
        }
        figures.shares.push_back(sharePercent(rig, figures.cells));
    }
    for (const auto &map : figures.cells)
        for (const auto &row : map)
            for (bool cell : row)
                figures.visited += cell;
    return figures;
}

struct TuningFigures {
    bool reached = false;
    double seconds = 0; // to the share, or the cap
    double share = 0;   // at the end
};

TuningFigures tuneOneCellAtATime(const Cells &cells, double wanted)
{
    Rig rig;
    rig.setTuning(true);
    TuningFigures figures;
    int total = 0;
    for (int n = 0; n < kMaxTuningRides && !figures.reached; ++n) {
        rig.startRide();
        const int ticks = rig.rideTicks();
        for (int t = 0; t < ticks && !figures.reached; ++t) {
            rig.tick();
            ++total;
            if (total % kTicksPerCheck == 0)
                figures.reached = sharePercent(rig, cells) >= wanted;
        }
    }
    figures.seconds = total * 0.055;
    figures.share = sharePercent(rig, cells);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
    if (argc > 2 || (argc == 2 && !json)) {
        std::fprintf(stderr, "usage: velmora_ride_convergence_bench [--json]\n");
        return 2;
    }
    const auto analysed = analyseRides();
    if (!analysed)
        return 1;
    const TuningFigures tuned = tuneOneCellAtATime(analysed->cells, analysed->shares.back());
    const double capSeconds = kMaxTuningRides * analysed->rideSeconds;
    if (json) {
        std::printf("{\"visited_cells\": %d, \"share_before\": %.1f", analysed->visited,
                    analysed->before);
        for (std::size_t i = 0; i < analysed->shares.size(); ++i)
            std::printf(", \"share_ride%zu\": %.1f", i + 1, analysed->shares[i]);
        std::printf(", \"ride_s\": %.0f, \"one_cell_s\": %.0f, \"one_cell_reached\": %d}\n",
                    analysed->rideSeconds, tuned.seconds, tuned.reached ? 1 : 0);
        return 0;
    }
    std::printf("Narrow-band sensor, +-%u mV noise, hidden fuel field +-%u %% (seed %llu); route "
                "of %.0f s from a cold start\n",
                kNoiseMv, kFieldPercent, static_cast<unsigned long long>(kSeed),
                analysed->rideSeconds);
    std::printf("Within one step of the hidden target = the byte at which the simulated sensor, "
                "without noise,\nreads the TUNING target mV; over the %d visited TP14 and IAP "
                "cells:\n",
                analysed->visited);
    std::printf("  before the first ride:          %5.1f %%\n", analysed->before);
    for (std::size_t i = 0; i < analysed->shares.size(); ++i)
        std::printf("  map analysis after ride %zu:      %5.1f %%%s\n", i + 1, analysed->shares[i],
                    i + 1 == analysed->shares.size() ? "   goal: >= 90 % after the third ride"
                                                     : "");
    if (tuned.reached)
        std::printf("  one-cell tuning to the same share: %.0f s (%.1f rides)\n", tuned.seconds,
                    tuned.seconds / analysed->rideSeconds);
    else
        std::printf("  one-cell tuning to the same share: more than %.0f s (%d rides; %.1f %% "
                    "then)\n",
                    capSeconds, kMaxTuningRides, tuned.share);
    return 0;
}
