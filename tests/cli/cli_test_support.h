#pragma once

#include "cli/cli.h"
#include "cli/unit_session.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velmora::test {

// One run of the tool with its two streams caught.
struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline CliRun runTool(const std::vector<std::string> &args, const cli::UnitAccess &access)
{
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.code = cli::runCli(args, out, err, access);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// Through the serial ports and the real tick, as the program runs.
inline CliRun runTool(const std::vector<std::string> &args)
{
    return runTool(args, cli::serialAccess());
}

inline std::string fileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace velmora::test
