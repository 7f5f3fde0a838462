#pragma once

#include <chrono>

namespace velmora::cli {

// What paces a session: the tool waits on the window's 55 ms tick, a test moves time by hand.
class TickSource {
public:
    static constexpr std::chrono::milliseconds kTick{55};

    virtual ~TickSource() = default;

    // The line has just been opened: the first tick comes one period from now.
    virtual void restart() = 0;
    // Returns when the next tick is due.
    virtual void wait() = 0;
    // The wall-clock time given to what arrived in the tick just passed.
    virtual std::chrono::system_clock::time_point now() const = 0;
};

// The real tick on a steady clock. A late tick does not make the next ones come faster.
class SteadyTicks : public TickSource {
public:
    SteadyTicks();

    void restart() override;
    void wait() override;
    std::chrono::system_clock::time_point now() const override;

private:
    std::chrono::steady_clock::time_point m_next;
};

} // namespace velmora::cli
