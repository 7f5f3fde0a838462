#include "edit_history.h"

#include <algorithm>
#include <utility>

namespace velmora {

EditHistory::EditHistory(std::size_t depth) : m_depth(std::max<std::size_t>(depth, 1)) {}

bool EditHistory::record(const DeviceImage &before, const DeviceImage &after, StepName name)
{
    Step step;
    for (std::size_t i = layout::kParameterStart; i < layout::kImageSize; ++i)
        if (before[i] != after[i])
            step.changes.push_back({static_cast<std::uint16_t>(i), before[i], after[i]});
    if (step.changes.empty())
        return false;
    step.name = std::move(name);
    m_undone.clear();
    m_done.push_back(std::move(step));
    if (m_done.size() > m_depth)
        m_done.pop_front();
    return true;
}

bool EditHistory::replay(std::deque<Step> &from, std::deque<Step> &to, DeviceImage &image,
                         std::uint8_t Change::*found, std::uint8_t Change::*left)
{
    if (from.empty())
        return false;
    for (const Change &c : from.back().changes)
        if (image[c.offset] == c.*found)
            image[c.offset] = c.*left;
    to.push_back(std::move(from.back()));
    from.pop_back();
    return true;
}

bool EditHistory::undo(DeviceImage &image)
{
    return replay(m_done, m_undone, image, &Change::after, &Change::before);
}

bool EditHistory::redo(DeviceImage &image)
{
    return replay(m_undone, m_done, image, &Change::before, &Change::after);
}

} // namespace velmora
