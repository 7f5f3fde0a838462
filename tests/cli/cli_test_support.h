#pragma once

#include "cli/cli.h"

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

inline CliRun runTool(const std::vector<std::string> &args)
{
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.code = cli::runCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

inline std::string fileText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace velmora::test
