#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

struct UnitAccess;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// The whole tool: `args` are the words after the program name. The file content goes to `out`
// when no output file is named, messages and progress to `err`. Talking to a unit needs a
// QCoreApplication to exist.
int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
// The same, reaching units through `access` instead of the serial ports and the real tick.
int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
           const UnitAccess &access);

// The usage text of one command, or of the tool for an empty or unknown name.
std::string usageText(const std::string &command);

} // namespace velmora::cli
