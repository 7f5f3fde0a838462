#include "cells.h"

#include <unordered_map>

namespace velmora {

namespace {

using std::to_string;

struct Run {
    const char *prefix;
    const char *suffix;
    int firstNumber;
    Field field;
    int count;
    int min;
    int max;
    int step;
};

constexpr int kSpeedMin = 300;
constexpr int kSpeedMax = 20100;

// The up-down pointer table, run by run; "Edit" + number + suffix, and "UpDown" likewise.
constexpr Run kTableRuns[] = {
    {"", "", 1, Field::RpmAdv, 10, kSpeedMin, kSpeedMax, 100},
    {"", "", 11, Field::Advance, 10, 0, 125, 1},
    {"RpmTps", "", 1, Field::RpmJetTp, 10, kSpeedMin, kSpeedMax, 100},
    {"RpmTps", "i", 1, Field::RpmJetTpi, 10, kSpeedMin, kSpeedMax, 100},
    {"RpmIap", "", 1, Field::RpmJetIap, 10, kSpeedMin, kSpeedMax, 100},
    {"", "", 50, Field::JetTp, 100, 0, 250, 1},
    {"", "i", 50, Field::JetTpi, 100, 0, 250, 1},
    {"", "", 160, Field::JetIap, 100, 0, 250, 1},
    {"RpmPriv", "", 1, Field::RpmPriv, 10, kSpeedMin, kSpeedMax, 100},
    {"NapPriv", "", 1, Field::NapPriv, 10, 20, 4980, 20},
};

constexpr const char *kTempNames[] = {"_10", "20", "50", "80", "110"};

struct Single {
    const char *name; // without the "Edit" prefix
    Field field;
    std::uint8_t point;
    int min;
    int max;
    int step;
    bool grouped;
    CellEvent event;
};

constexpr Single kSingles[] = {
    {"Omez2", Field::Limiter2, 0, 999, 25000, 100, true, CellEvent::Leave},
    {"46", Field::PilotLight, 0, 1000, 25000, 100, true, CellEvent::Leave},
    {"RpmPulsu", Field::RpmPulses, 0, 0, 6, 1, false, CellEvent::None},
    {"RpmKorekce", Field::RpmCorrection, 0, -60, 60, 1, false, CellEvent::None},
    {"IapToTps", Field::IapToTps, 0, 0, 250, 1, false, CellEvent::Leave},
    {"KlapkaSani", Field::IntakeValve, 0, 1000, 25000, 100, true, CellEvent::Leave},
    {"SyticCas1", Field::ChokeTimes, 0, 0, 250, 1, false, CellEvent::Click},
    {"SyticCas2", Field::ChokeTimes, 1, 0, 250, 1, false, CellEvent::Click},
    {"SyticCas3", Field::ChokeTimes, 2, 0, 250, 1, false, CellEvent::Click},
    {"SyticCas4", Field::ChokeTimes, 3, 0, 250, 1, false, CellEvent::Click},
    {"SyticKorekce0", Field::ChokeCorrections, 0, 100, 350, 1, false, CellEvent::Click},
    {"SyticKorekce1", Field::ChokeCorrections, 1, 100, 350, 1, false, CellEvent::Click},
    {"SyticKorekce2", Field::ChokeCorrections, 2, 100, 350, 1, false, CellEvent::Click},
    {"SyticKorekce3", Field::ChokeCorrections, 3, 100, 350, 1, false, CellEvent::Click},
    {"Tps0", Field::TpsClosed, 0, 300, 2500, 10, true, CellEvent::Click},
    {"Tps100", Field::TpsOpen, 0, 2500, 4600, 10, true, CellEvent::Click},
    {"StartJet", Field::StartJet, 0, 0, 50, 1, false, CellEvent::Click},
    {"AkcelPrah", Field::AccelThreshold, 0, 10, 2500, 10, true, CellEvent::Click},
    {"AkcelJet", Field::AccelSize, 0, 0, 7500, 30, true, CellEvent::Click},
    {"Chlazeni", Field::Cooling, 0, 0, 100, 1, false, CellEvent::Click},
    {"PrivHyster", Field::PrivHyster, 0, 0, 1275, 5, false, CellEvent::Leave},
    {"LadeniLambda", Field::TuningLambda, 0, 400, 1000, 10, false, CellEvent::Click},
    {"LadeniHyster", Field::TuningHyster, 0, 10, 400, 10, false, CellEvent::Click},
    {"LadeniRpm", Field::TuningRpm, 0, 50, 2000, 50, true, CellEvent::Click},
    {"LadeniTps", Field::TuningTps, 0, 0, 20, 1, false, CellEvent::Click},
    {"LadeniCas", Field::TuningTime, 0, 400, 20000, 200, true, CellEvent::Click},
};

std::vector<CellDef> buildCells()
{
    std::vector<CellDef> cells;
    cells.reserve(kCellCount);
    for (const Run &run : kTableRuns) {
        for (int k = 0; k < run.count; ++k) {
            const std::string tail = run.prefix + to_string(run.firstNumber + k) + run.suffix;
            cells.push_back({"Edit" + tail, "UpDown" + tail, run.field,
                             static_cast<std::uint8_t>(k), run.min, run.max, run.step, false,
                             CellEvent::Leave});
        }
    }
    // The last advance speed point may be typed up to 21000 rpm.
    cells[cell::kRpmAdv + 9].max = 21000;

    for (Field field : {Field::WaterTemp, Field::AirTemp}) {
        const std::string stem = field == Field::WaterTemp ? "Voda" : "Vzduch";
        for (std::uint8_t k = 0; k < layout::kTempPoints; ++k)
            cells.push_back({"Edit" + stem + kTempNames[k], "UpDown" + stem + kTempNames[k], field,
                             k, 10, 250, 1, false, CellEvent::Click});
    }
    for (const Single &s : kSingles)
        cells.push_back({std::string("Edit") + s.name, std::string("UpDown") + s.name, s.field,
                         s.point, s.min, s.max, s.step, s.grouped, s.event});
    return cells;
}

constexpr const char *kTpsRows[] = {"0%",  "2%",  "5%",  "10%", "20%",
                                    "30%", "40%", "60%", "80%", "100%"};

std::array<RowLabel, kRowLabelCount> buildRowLabels()
{
    std::array<RowLabel, kRowLabelCount> labels;
    for (std::size_t r = 0; r < 10; ++r) {
        labels[r] = {"LabelTps" + to_string(r + 1), kTpsRows[r]};
        labels[10 + r] = {"LabelTps" + to_string(r + 1) + "i", kTpsRows[r]};
        labels[20 + r] = {"LabelIap" + to_string(r + 1), to_string(10 * (r + 1)) + "%"};
    }
    return labels;
}

} // namespace

const std::vector<CellDef> &cellTable()
{
    static const std::vector<CellDef> cells = buildCells();
    return cells;
}

int findCell(std::string_view editName)
{
    static const std::unordered_map<std::string_view, int> index = [] {
        std::unordered_map<std::string_view, int> map;
        const auto &cells = cellTable();
        for (std::size_t i = 0; i < cells.size(); ++i)
            map.emplace(cells[i].edit, static_cast<int>(i));
        return map;
    }();
    const auto it = index.find(editName);
    return it == index.end() ? -1 : it->second;
}

const std::array<RowLabel, kRowLabelCount> &rowLabels()
{
    static const std::array<RowLabel, kRowLabelCount> labels = buildRowLabels();
    return labels;
}

std::vector<std::string> editTableNames()
{
    std::vector<std::string> names;
    names.reserve(kEditTableSize);
    for (const RowLabel &label : rowLabels())
        names.push_back(label.name);
    for (std::size_t i = 0; i < kEditTableSize - kRowLabelCount; ++i)
        names.push_back(cellTable()[i].edit);
    return names;
}

} // namespace velmora
