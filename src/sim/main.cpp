// velmora-unit: the simulated unit as a program, for trying the configurator by hand or from a
// script without hardware.

#include "files/image_file.h"
#include "files/parameter_file.h"
#include "model/parameter_set.h"
#include "release/release_version.h"
#include "sim/block_store.h"
#include "sim/pty_unit.h"
#include "sim/unit_options.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

using namespace velmora::sim;

constexpr int kBadUsage = 2;

int usageError(const std::string &message)
{
    std::cerr << "velmora-unit: " << message << "\nTry 'velmora-unit --help'.\n";
    return kBadUsage;
}

bool stopSignalPending()
{
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0)
        return false;
    return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1;
}

// Returns once a signal arrives, input ends or the unit has gone away.
void serveUntilDone(const PtyUnit &unit, bool watchStdin)
{
    std::array<char, 256> sink{};
    while (!stopSignalPending() && unit.running()) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (!watchStdin) {
            ::poll(nullptr, 0, 100);
            continue;
        }
        if (::poll(&in, 1, 100) <= 0)
            continue;
        if (in.revents & POLLNVAL) {
            watchStdin = false;
            continue;
        }
        if (::read(STDIN_FILENO, sink.data(), sink.size()) <= 0)
            return;
    }
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseUnitOptions(args);
    if (!parsed.ok())
        return usageError(parsed.error);
    const UnitOptions &options = parsed.options;
    if (options.help) {
        std::cout << unitUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "velmora-unit " << velmora::kReleaseVersion << '\n';
        return 0;
    }

    BlockStore store(options.identity);
    if (options.imageFile) {
        // A parameter file sets the fields it names and its model's constants; an image file
        // sets the bytes it reaches. Either way the rest keeps the default image's values.
        velmora::DeviceImage image = store.image();
        bool extendedMonitor = false;
        if (velmora::files::loadParameterFile(*options.imageFile, image, extendedMonitor)
                .value_or(false)) {
            velmora::applyModelConstants(image);
            velmora::consistencyPass(image);
        } else if (!velmora::files::loadImageFile(*options.imageFile, image)) {
            return usageError("cannot read the image file " + *options.imageFile);
        }
        store.setImage(image);
        if (!options.fileIdentity)
            store.setIdentity(options.identity);
    }

    // Blocked before the unit's thread exists so that it inherits the mask and the signals
    // stay pending for the main loop to notice.
    sigset_t watched;
    sigemptyset(&watched);
    sigaddset(&watched, SIGINT);
    sigaddset(&watched, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &watched, nullptr);

    try {
        PtyUnit unit(store, options.faults, options.engine.makeEngine(store.image()));
        std::cout << unit.slavePath() << std::endl;
        serveUntilDone(unit, options.watchStdin);
        const bool hungUp = unit.hungUp();
        unit.stop();

        const ResponderCounters c = unit.counters();
        std::cerr << "velmora-unit: " << unit.requestsSeen() << " requests, " << c.replies
                  << " replies, " << c.unknown << " unanswered, " << unit.discardedBytes()
                  << " bytes discarded" << (hungUp ? ", line closed as planned" : "") << "\n";
    } catch (const std::exception &e) {
        std::cerr << "velmora-unit: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
