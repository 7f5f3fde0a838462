// A running transaction fed any sequence of replies and ticks: no crash, "Verify OK" only when
// every block 1..5 of the unit matched the image, and a failed transaction leaves the parameter
// bytes alone (a Read may have stored what it received).
#include "link/headless_view.h"
#include "link/link.h"
#include "link/link_texts.h"
#include "link/memory_port.h"
#include "model/parameter_set.h"

#include <cstdlib>
#include <string>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    link::HeadlessView view(image, 1, true);
    view.setTuning(true, link::Link::kTp14Page);
    link::Link link(image, view);
    link::MemoryPort port;
    link.setPort(&port);

    // Byte 0 picks the command; the rest is what comes back on the line, a frame or a tick at a
    // time: 0xFE ends a reply early and ticks, 0xFD ticks only.
    switch (data[0] % 4) {
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
    const bool reading = data[0] % 4 == 2;
    const DeviceImage before = image;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFD) {
            link.tick();
            continue;
        }
        port.incoming.push_back(data[i]);
        if (port.incoming.size() >= link::kFrameSize || data[i] == 0xFE)
            link.tick();
    }
    for (int t = 0; t < 40; ++t)
        link.tick();

    const bool tuning = data[0] % 4 == 3;
    const bool verified = view.message() == link::text::kVerifyOk.english ||
                          view.message().rfind(link::text::kProgramDone.english, 0) == 0;
    if (verified) {
        // Every verified block must have come back, byte for byte, somewhere on the line.
        const std::string line(reinterpret_cast<const char *>(data), size);
        for (std::size_t b = 1; b <= 5; ++b) {
            std::string reply(1, static_cast<char>(0xC0 | b));
            const auto block = image.block(b);
            reply.append(reinterpret_cast<const char *>(block.data()), block.size());
            if (line.find(reply) == std::string::npos)
                std::abort();
        }
    }
    if (!reading && !tuning && link.transferMode() == link::TransferMode::Idle && !verified) {
        // Program and Verify never change the parameter bytes, whatever came back.
        for (std::size_t i = layout::kParameterStart; i < layout::kImageSize; ++i)
            if (image[i] != before[i])
                std::abort();
    }
    return 0;
}
