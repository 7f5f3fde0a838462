#include "port_catalog.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace velmora::link {

namespace {

// Links that lead round in a circle end somewhere all the same.
constexpr int kMaxLinkDepth = 16;

bool sameDevice(const std::filesystem::path &a, const std::filesystem::path &b)
{
    return a.lexically_normal() == b.lexically_normal();
}

bool isListed(const std::filesystem::path &device, const PortList &ports)
{
    return std::any_of(ports.begin(), ports.end(),
                       [&](const PortEntry &port) { return sameDevice(port.device, device); });
}

} // namespace

std::string usbId(const PortEntry &port)
{
    if (!port.vendorId || !port.productId)
        return {};
    char text[10];
    std::snprintf(text, sizeof text, "%04x:%04x", unsigned{*port.vendorId},
                  unsigned{*port.productId});
    return text;
}

std::filesystem::path followLinks(const std::filesystem::path &path)
{
    std::filesystem::path at = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(at, error))
            break;
        const std::filesystem::path target = std::filesystem::read_symlink(at, error);
        if (error)
            break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return at.lexically_normal();
}

std::string stableDevicePath(const std::string &device, const std::filesystem::path &byIdFolder)
{
    if (device.empty())
        return device;
    std::vector<std::filesystem::path> leading;
    std::error_code error;
    for (std::filesystem::directory_iterator it(byIdFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path &link = it->path();
        if (sameDevice(link, device))
            return device;
        std::error_code linkError;
        if (it->is_symlink(linkError) && sameDevice(followLinks(link), followLinks(device)))
            leading.push_back(link);
    }
    if (leading.empty())
        return device;
    return std::min_element(leading.begin(), leading.end())->string();
}

bool devicePresent(const std::string &device, const PortList &ports)
{
    if (device.empty())
        return false;
    if (isListed(device, ports) || isListed(followLinks(device), ports))
        return true;
    std::error_code error;
    return std::filesystem::exists(device, error);
}

std::vector<ComAssignment> comAssignments(const ConfiguredPort &configured, const PortList &ports,
                                          const std::function<const char *(const char *)> &getenv)
{
    std::vector<ComAssignment> assignments;
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        std::string device = comPortDevice(n, configured, getenv);
        const bool present = devicePresent(device, ports);
        assignments.push_back({n, std::move(device), present});
    }
    return assignments;
}

} // namespace velmora::link
