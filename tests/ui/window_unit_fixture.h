#pragma once

#include "window_fixture.h"

#include "link/memory_port.h"
#include "model/parameter_set.h"
#include "sim/identity_block.h"
#include "sim/responder.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace velmora::test {

// The window's own link on a line in memory, answered by the simulated unit's responder. The
// window's timer stays still: every tick is one the test drives.
class WindowUnitTest : public WindowTest {
protected:
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

    void trigger(const char *action) { find<QAction>(QString::fromUtf8(action))->trigger(); }
    QString text(const char *label) const { return find<QLabel>(QString::fromUtf8(label))->text(); }
    // A unit holding a consistent parameter set of `model` in TP mode `tpMode`.
    void unitHolds(std::uint8_t model, std::uint8_t tpMode, const sim::IdentityBlock &identity = {})
    {
        DeviceImage image;
        image[layout::kBike] = model;
        applyDefaults(image);
        image[layout::kTpsMode] = tpMode;
        consistencyPass(image);
        identity.writeTo(image);
        unit.store().setImage(image);
    }

    link::MemoryPort port;
    sim::Responder unit;
};

} // namespace velmora::test
