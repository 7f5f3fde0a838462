#pragma once

#include "engine_options.h"
#include "fault_plan.h"
#include "identity_block.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora::sim {

// Everything the velmora-unit command line can say.
struct UnitOptions {
    IdentityBlock identity;
    FaultPlan faults;
    EngineOptions engine;
    std::optional<std::string> imageFile;
    bool fileIdentity = false; // keep block 0 of the image file instead of the identity options
    bool watchStdin = true;    // end of input ends the program
    bool help = false;
    bool version = false; // print the release and stop
};

struct ParsedOptions {
    UnitOptions options;
    std::string error; // empty when the command line made sense

    bool ok() const { return error.empty(); }
};

// `args` excludes the program name. Both "--name ABC" and "--name=ABC" are understood.
ParsedOptions parseUnitOptions(std::span<const std::string_view> args);

std::string unitUsage();

} // namespace velmora::sim
