#include "ride_log.h"

#include <algorithm>

namespace velmora::log {

int RideLog::column(std::string_view name) const
{
    const auto found = std::find(columns.begin(), columns.end(), name);
    return found == columns.end() ? -1 : static_cast<int>(found - columns.begin());
}

} // namespace velmora::log
