// A running transaction fed any sequence of replies and ticks: no crash, exactly one end
// reported for it, on the tick it goes idle; success only when every block 1..5 of the unit
// matched the image; a failed transaction leaves the parameter bytes alone (a Read may have
// stored what it received); and a tuning write acknowledged only while one waits for its echo.
#include "fuzz_check.h"
#include "link/headless_view.h"
#include "link/link.h"
#include "link/memory_port.h"
#include "model/parameter_set.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

using namespace velmora;
using fuzz::check;

namespace {

// Counts the consistency passes: a pass may rightly move parameter bytes, so the byte checks
// below hold only for a transaction that ended without one. Keeps every reported end.
class CountingView : public link::HeadlessView {
public:
    using HeadlessView::HeadlessView;
    void consistencyPass() override
    {
        ++passes;
        HeadlessView::consistencyPass();
    }
    void transactionEnded(link::Transaction transaction, link::Outcome outcome) override
    {
        HeadlessView::transactionEnded(transaction, outcome);
        endings.push_back({transaction, outcome});
    }
    int passes = 0;
    std::vector<Ended> endings;
};

// `block` came back on the line, byte for byte, in a reply carrying the unit's stored block.
bool cameBack(const std::string &line, std::size_t b, std::span<const std::uint8_t> block)
{
    std::string reply(1, static_cast<char>(0xC0 | b));
    reply.append(reinterpret_cast<const char *>(block.data()), block.size());
    return line.find(reply) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    CountingView view(image, 1, true);
    view.setTuning(true, link::Link::kTp14Page);
    link::Link link(image, view);
    link::MemoryPort port;
    link.setPort(&port);

    // Byte 0 picks the command; the rest is what comes back on the line, a frame or a tick at a
    // time: 0xFE ends a reply early and ticks, 0xFD ticks only.
    const int command = data[0] % 4;
    switch (command) {
    case 0:
        link.MenuProgramClick();
        break;
    case 1:
        link.MenuVerifyClick();
        break;
    case 2:
        link.MenuReadClick();
        break;
    default:
        link.startTuningWrite(3 + data[0] / 4 % 3);
        break;
    }
    const DeviceImage before = image;
    const int passesBefore = view.passes;
    // What the port hands the link: the input without its tick marks.
    std::string line;
    for (std::size_t i = 1; i < size; ++i)
        if (data[i] != 0xFD)
            line.push_back(static_cast<char>(data[i]));
    bool ended = command == 3; // a tuning write runs while the link stays idle
    constexpr link::Transaction kStarted[] = {link::Transaction::Program, link::Transaction::Verify,
                                              link::Transaction::Read};
    // The ends of the started transaction; tuning writes may follow it on idle ticks.
    auto transactionEnds = [&] {
        return std::count_if(view.endings.begin(), view.endings.end(), [](const auto &e) {
            return e.transaction != link::Transaction::TuningWrite;
        });
    };

    // Checked once, on the tick the transaction ends, before idle ticks may tune the maps.
    auto checkEnd = [&] {
        if (ended) {
            check(transactionEnds() == (command == 3 ? 0 : 1));
            return;
        }
        if (link.transferMode() != link::TransferMode::Idle) {
            check(transactionEnds() == 0);
            return;
        }
        ended = true;
        check(transactionEnds() == 1 && view.ended() &&
              view.ended()->transaction == kStarted[command]);
        if (view.ended()->outcome == link::Outcome::Ok) {
            for (std::size_t b = 1; b <= 5; ++b)
                check(cameBack(line, b, image.block(b)));
            return;
        }
        if (view.passes != passesBefore)
            return;
        for (std::size_t b = 1; b <= 5; ++b) {
            const auto now = image.block(b);
            const auto then = before.block(b);
            if (std::equal(now.begin(), now.end(), then.begin()))
                continue;
            // Only a Read stores blocks, and only ones the unit sent.
            check(command == 2 && cameBack(line, b, now));
        }
    };

    // An acknowledged tuning write is one that was waiting for its echo.
    auto tick = [&] {
        const bool pending = link.tuningWritePending();
        const std::size_t seen = view.endings.size();
        link.tick();
        for (std::size_t i = seen; i < view.endings.size(); ++i) {
            const auto &e = view.endings[i];
            if (e.transaction == link::Transaction::TuningWrite && e.outcome == link::Outcome::Ok)
                check(pending);
            check(e.outcome != link::Outcome::Cancelled); // no command replaces another here
        }
        checkEnd();
    };

    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFD) {
            tick();
            continue;
        }
        port.incoming.push_back(data[i]);
        if (port.incoming.size() >= link::kFrameSize || data[i] == 0xFE)
            tick();
    }
    for (int t = 0; t < 40; ++t)
        tick();
    check(ended); // five sends of four ticks each end any transaction
    return 0;
}
