#include "grid_steps.h"
#include "parameter_set.h"

#include <algorithm>

namespace velmora {

namespace {

using namespace layout;

// Connected mode: a TP14 cell that differs from what is stored carries the same difference into
// its TP23 twin, within the twin's range. Runs before either is stored.
void coupleTp23(const DeviceImage &image, GridValues &values)
{
    const auto &cells = cellTable();
    for (std::size_t i = 0; i < kCurvePoints; ++i) {
        const CellDef &tpi = cells[cell::kRpmJetTpi + i];
        const int shown = values.position[cell::kRpmJetTp + i];
        const int stored = image[kRpmJetTp + i];
        const int storedI = image[kRpmJetTpi + i];
        if (shown != stored * 100) {
            values.position[cell::kRpmJetTpi + i] =
                std::clamp(shown + (storedI - stored) * 100, tpi.min, tpi.max);
        }
    }
    for (std::size_t e = 0; e < kMapCells; ++e) {
        const int shown = values.position[cell::kJetTp + e];
        const int stored = image[kJetTp + e];
        const int storedI = image[kJetTpi + e];
        if (shown != stored)
            values.position[cell::kJetTpi + e] = std::clamp(shown + (storedI - stored), 0, 250);
    }
}

} // namespace

void takeOverCells(DeviceImage &image, GridValues &values)
{
    if (image[kTpsMode] == kTpModeConnected)
        coupleTp23(image, values);

    const auto &cells = cellTable();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const CellDef &c = cells[i];
        setShownValue(image, c.field, values.position[i], c.point);
    }
    if (values.bikeItem >= 0)
        image[kBike] = static_cast<std::uint8_t>(values.bikeItem);
    image[kBlokEnable] = values.blokEnable ? 1 : 0;
    image[kPrivEnable] = values.privEnable ? 1 : 0;
}

void showCells(const DeviceImage &image, GridValues &values)
{
    const auto &cells = cellTable();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const CellDef &c = cells[i];
        values.position[i] = std::clamp(shownValue(image, c.field, c.point), c.min, c.max);
    }
    values.blokEnable = image[kBlokEnable] != 0;
    values.privEnable = image[kPrivEnable] != 0;
    values.bikeItem = image.bike() < kModelCount ? image.bike() : -1;
}

TpModeDisplay tpModeDisplay(std::uint8_t mode, std::uint8_t language)
{
    // Captions indexed [language]: Czech, English, German.
    static const char *const kTp14[] = {"TP mapa 14", "TP Map 14", "TP Karte 14"};
    static const char *const kTp23[] = {"TP mapa 23", "TP Map 23", "TP Karte 23"};
    static const char *const kTp23Connected[] = {"TP mapa 23 (s.)", "TP Map 23 (c.)",
                                                 "TP Karte 23 (g.)"};
    static const char *const kTp23Hidden[] = {"   ", "  ", "    "};
    const std::size_t lang = language <= 2 ? language : 1;

    TpModeDisplay d;
    d.tp14Visible = mode != kTpMode23To14;
    d.tp23Visible = mode != kTpMode14To23;
    d.tp23Enabled = mode != kTpModeConnected;
    d.tp23EditorsVisible = mode != kTpModeConnected;
    d.tab14Caption = mode == kTpMode23To14 ? "    " : kTp14[lang];
    switch (mode) {
    case kTpModeConnected:
        d.tab23Caption = kTp23Connected[lang];
        break;
    case kTpMode14To23:
        d.tab23Caption = kTp23Hidden[lang];
        break;
    default:
        d.tab23Caption = kTp23[lang];
        break;
    }
    return d;
}

} // namespace velmora
