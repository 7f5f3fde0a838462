#include "tick_source.h"

#include <thread>

namespace velmora::cli {

SteadyTicks::SteadyTicks() : m_next(std::chrono::steady_clock::now()) {}

void SteadyTicks::restart()
{
    m_next = std::chrono::steady_clock::now();
}

void SteadyTicks::wait()
{
    m_next += kTick;
    const auto now = std::chrono::steady_clock::now();
    if (m_next < now)
        m_next = now;
    std::this_thread::sleep_until(m_next);
}

std::chrono::system_clock::time_point SteadyTicks::now() const
{
    return std::chrono::system_clock::now();
}

} // namespace velmora::cli
