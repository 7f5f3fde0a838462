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

void EditHistory::apply(const Step &step, DeviceImage &image, std::uint8_t Change::*from,
                        std::uint8_t Change::*to)
{
    for (const Change &c : step.changes)
        if (image[c.offset] == c.*from)
            image[c.offset] = c.*to;
}

bool EditHistory::undo(DeviceImage &image)
{
    if (m_done.empty())
        return false;
    apply(m_done.back(), image, &Change::after, &Change::before);
    m_undone.push_back(std::move(m_done.back()));
    m_done.pop_back();
    return true;
}

bool EditHistory::redo(DeviceImage &image)
{
    if (m_undone.empty())
        return false;
    apply(m_undone.back(), image, &Change::before, &Change::after);
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    return true;
}

} // namespace velmora
