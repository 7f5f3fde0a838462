#include "cell_lambda.h"

#include <cmath>

namespace velmora::log {
namespace {

// The cell columns of each map, in the order of the maps.
constexpr std::array<std::array<std::string_view, 2>, 3> kCellColumns{{
    {"TP14 row [index]", "TP14 column [index]"},
    {"TP23 row [index]", "TP23 column [index]"},
    {"IAP row [index]", "IAP column [index]"},
}};

// A cell index as written: a whole number inside the map, else -1.
int cellIndex(double value)
{
    if (!(value >= 0 && value < 10) || value != std::floor(value))
        return -1;
    return static_cast<int>(value);
}

} // namespace

std::array<MapLambda, 3> lambdaByCell(const RideLog &log)
{
    std::array<MapLambda, 3> maps{};
    const int lambda = log.column("lambda [mV]");
    if (lambda < 0)
        return maps;
    const std::vector<double> &mv = log.values[lambda];
    for (std::size_t map = 0; map < maps.size(); ++map) {
        const int rowColumn = log.column(kCellColumns[map][0]);
        const int columnColumn = log.column(kCellColumns[map][1]);
        if (rowColumn < 0 || columnColumn < 0)
            continue;
        // Sums first, means at the end: one division per cell keeps the mean exact to the sum.
        std::array<std::array<double, 10>, 10> sums{};
        const std::vector<double> &rows = log.values[rowColumn];
        const std::vector<double> &columns = log.values[columnColumn];
        for (std::size_t i = 0; i < mv.size(); ++i) {
            const int row = cellIndex(rows[i]);
            const int column = cellIndex(columns[i]);
            if (std::isnan(mv[i]) || row < 0 || column < 0)
                continue;
            sums[row][column] += mv[i];
            ++maps[map][row][column].samples;
        }
        for (int row = 0; row < 10; ++row) {
            for (int column = 0; column < 10; ++column) {
                CellLambda &cell = maps[map][row][column];
                if (cell.samples > 0)
                    cell.meanMv = sums[row][column] / cell.samples;
            }
        }
    }
    return maps;
}

} // namespace velmora::log
