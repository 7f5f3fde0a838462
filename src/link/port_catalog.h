#pragma once

#include "link/port_names.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::link {

// One serial port the system knows of. Empty texts stand for what the system does not say.
struct PortEntry {
    std::string device; // the path to open, such as /dev/ttyUSB0
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    std::optional<std::uint16_t> vendorId; // USB adapters only
    std::optional<std::uint16_t> productId;
};
using PortList = std::vector<PortEntry>;

// The serial ports present now: the program asks the system, tests give a list of their own.
using PortLister = std::function<PortList()>;

// Where udev keeps a name per USB serial adapter that stays the same in every USB socket.
inline constexpr const char *kSerialByIdFolder = "/dev/serial/by-id";

// The vendor and product id as "0403:6001"; empty for a port that is not on USB.
std::string usbId(const PortEntry &port);

// Where `path` leads once its symbolic links are followed, a relative target taken from the
// link's own folder. The target need not exist; a path that is no link stands for itself.
std::filesystem::path followLinks(const std::filesystem::path &path);

// The link in `byIdFolder` that leads to `device` (the first by name when several do), so that
// an adapter keeps its COM number in whichever socket it is plugged; `device` itself when no link
// leads there or the folder is missing.
std::string stableDevicePath(const std::string &device,
                             const std::filesystem::path &byIdFolder = kSerialByIdFolder);

// A device is present when it is one of `ports`, leads to one through its links, or otherwise
// exists (a pseudo-terminal is no listed port, yet it opens).
bool devicePresent(const std::string &device, const PortList &ports);

// What one COM number stands for on this machine now.
struct ComAssignment {
    int number = 0;
    std::string device;
    bool present = false;
};

// COM1..COM10, each mapped as comPortDevice() maps it.
std::vector<ComAssignment>
comAssignments(const ConfiguredPort &configured, const PortList &ports,
               const std::function<const char *(const char *)> &getenv = processEnvironment);

} // namespace velmora::link
