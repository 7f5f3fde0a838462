#pragma once

#include "fields.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// What the window binds to a cell: the leave event, the click event, or nothing at all.
enum class CellEvent : std::uint8_t { Leave, Click, None };

// One numeric cell of the editor grid: a text box and its up-down control.
struct CellDef {
    std::string edit;   // object name of the text box, "Edit1"
    std::string upDown; // object name of the up-down control, "UpDown1"
    Field field;
    std::uint8_t point; // index within the field
    int min;
    int max;
    int step;
    bool grouped; // shows 1000 and more with the locale's digit grouping
    CellEvent event;
};

inline constexpr std::size_t kCellCount = 406;
inline constexpr std::size_t kUpDownTableSize = 370; // cells 0..369 in up-down table order
inline constexpr std::size_t kRowLabelCount = 30;    // edit table 0..29: map row captions
inline constexpr std::size_t kEditTableSize = 410;   // edit index n + 30 is cell n, n < 380

// First cell of each run, in the order of the up-down pointer table.
namespace cell {
inline constexpr std::size_t kRpmAdv = 0;
inline constexpr std::size_t kAdvance = 10;
inline constexpr std::size_t kRpmJetTp = 20;
inline constexpr std::size_t kRpmJetTpi = 30;
inline constexpr std::size_t kRpmJetIap = 40;
inline constexpr std::size_t kJetTp = 50;
inline constexpr std::size_t kJetTpi = 150;
inline constexpr std::size_t kJetIap = 250;
inline constexpr std::size_t kRpmPriv = 350;
inline constexpr std::size_t kNapPriv = 360;
inline constexpr std::size_t kWaterTemp = 370;
inline constexpr std::size_t kAirTemp = 375;
inline constexpr std::size_t kSingles = 380; // the single-value cells, reached by name
} // namespace cell

// All 406 cells: the 370 of the up-down table in its order, the ten temperature cells, then the
// single values.
const std::vector<CellDef> &cellTable();

// Index of the cell whose text box is called `editName`; -1 when there is none.
int findCell(std::string_view editName);

// Captions and names of the 30 map row labels (edit table indexes 0..29).
struct RowLabel {
    std::string name;
    std::string caption;
};
const std::array<RowLabel, kRowLabelCount> &rowLabels();

// Object names of the edit pointer table, 410 entries in index order.
std::vector<std::string> editTableNames();

} // namespace velmora
