#pragma once

#include <functional>
#include <optional>
#include <string>

namespace velmora::link {

// The user picks one of the ports COM1..COM10.
inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 10;

// The process environment, as std::getenv reads it.
const char *processEnvironment(const char *name);

// "COM<n>"; empty for a number outside 1..10.
std::string comPortName(int n);

// The device the user has named for a port such as "COM3", if any; the window and the tool
// answer it from the PORTS section of the settings.
using ConfiguredPort = std::function<std::optional<std::string>(const std::string &portName)>;

// The device that COM<n> stands for on this machine: the environment variable VELMORA_COM<n>,
// else what `configured` names for COM<n>, else the system's own name for the port
// (/dev/ttyS<n-1> on Linux, COM<n> on Windows). Empty values count as not set; a number outside
// 1..10 gives an empty string.
std::string
comPortDevice(int n, const ConfiguredPort &configured,
              const std::function<const char *(const char *)> &getenv = processEnvironment);

} // namespace velmora::link
