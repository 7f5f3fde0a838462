#pragma once

#include "device_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace velmora {

// What a step did, as the Edit menu names it: Czech, English, German (UTF-8).
using StepName = std::array<std::string, 3>;

// The name in a language, chosen as Triple::pick chooses: any index but 0 and 2 reads English.
inline const std::string &pickName(const StepName &name, std::uint8_t language)
{
    return name[language == 0 ? 0 : language == 2 ? 2 : 1];
}

// The parameter set's edits, step by step, for Undo and Redo. A step keeps only the bytes it
// changed, each with its value before and after; the identity block belongs to the unit and is
// never part of a step.
class EditHistory {
public:
    static constexpr std::size_t kDefaultDepth = 1000;

    // Keeps the newest `depth` steps (at least one); older ones are forgotten.
    explicit EditHistory(std::size_t depth = kDefaultDepth);

    // One step from `before` to `after`: false, and nothing recorded, when their parameter sets
    // are equal. A new step ends what could be redone.
    bool record(const DeviceImage &before, const DeviceImage &after, StepName name);

    // Takes the newest step back in `image`, or puts the newest undone step in again. Each byte
    // goes back (or forward) only where it still holds the value the step left (or found): a
    // byte read from the unit or written by the tuning since then stays as it is, so an older
    // edit never reverts what came from the unit. False when there is no step to take.
    bool undo(DeviceImage &image);
    bool redo(DeviceImage &image);

    bool canUndo() const { return !m_done.empty(); }
    bool canRedo() const { return !m_undone.empty(); }
    // The names of the steps Undo and Redo would take; only while there is one.
    const StepName &undoName() const { return m_done.back().name; }
    const StepName &redoName() const { return m_undone.back().name; }
    std::size_t undoCount() const { return m_done.size(); }
    std::size_t redoCount() const { return m_undone.size(); }

private:
    struct Change {
        std::uint16_t offset;
        std::uint8_t before;
        std::uint8_t after;
    };
    struct Step {
        std::vector<Change> changes;
        StepName name;
    };
    // Moves the newest step of `from` to `to`, setting each of its bytes that still holds the
    // value `found` to the value `left`.
    static bool replay(std::deque<Step> &from, std::deque<Step> &to, DeviceImage &image,
                       std::uint8_t Change::*found, std::uint8_t Change::*left);

    std::size_t m_depth;
    std::deque<Step> m_done;
    std::deque<Step> m_undone;
};

} // namespace velmora
