#include "port_names.h"

#include <cstdlib>

namespace velmora::link {

const char *processEnvironment(const char *name)
{
    return std::getenv(name);
}

std::string comPortName(int n)
{
    if (n < kFirstComPort || n > kLastComPort)
        return {};
    return "COM" + std::to_string(n);
}

std::string comPortDevice(int n, const ConfiguredPort &configured,
                          const std::function<const char *(const char *)> &getenv)
{
    const std::string name = comPortName(n);
    if (name.empty())
        return {};

    if (getenv) {
        const std::string variable = "VELMORA_" + name;
        if (const char *device = getenv(variable.c_str()); device && *device)
            return device;
    }
    if (configured) {
        if (std::optional<std::string> device = configured(name); device && !device->empty())
            return *device;
    }
#ifdef _WIN32
    return name;
#else
    return "/dev/ttyS" + std::to_string(n - 1);
#endif
}

} // namespace velmora::link
