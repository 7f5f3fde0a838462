#pragma once

#include "window_fixture.h"

#include "link/memory_port.h"
#include "sim/responder.h"

#include <QTimer>

namespace velmora::test {

// The window's own link on a line in memory, answered by the simulated unit's responder.
class WindowUnitTest : public WindowTest {
protected:
    // The window's timer stays still: every tick below is one the test drives.
    void connectUnit()
    {
        find<QTimer>(QStringLiteral("Timer1"))->stop();
        port.answer = [this](const link::Frame &request) {
            if (auto reply = unit.answer(request, sim::Clock::now()))
                port.push(*reply);
        };
        window->link().setPort(&port);
    }
    bool tickUntilIdle(int limit = 300)
    {
        for (int n = 0; n < limit && window->link().transferMode() != link::TransferMode::Idle; ++n)
            window->Timer1Timer();
        return window->link().transferMode() == link::TransferMode::Idle;
    }

    link::MemoryPort port;
    sim::Responder unit;
};

} // namespace velmora::test
