#include "open_failure.h"

#include "link_texts.h"

namespace velmora::link {

namespace {

std::string adapters(const PortList &present, std::uint8_t language)
{
    std::string list;
    for (const PortEntry &port : present) {
        if (usbId(port).empty())
            continue;
        if (!list.empty())
            list += ", ";
        list += port.device;
        if (!port.description.empty())
            list += " (" + port.description + ")";
    }
    if (list.empty())
        return text::kNoUsbAdapter.pick(language);
    return fillIn(text::kUsbAdapters.pick(language), {list});
}

} // namespace

std::string openFailureLine(const std::string &device, const OpenResult &result,
                            const PortList &present, std::uint8_t language)
{
    const std::string name = device.empty() ? text::kNoDevice.pick(language) : device;
    switch (result.error) {
    case OpenError::None:
        return {};
    case OpenError::PermissionDenied:
        return fillIn(text::kOpenPermission.pick(language), {name});
    case OpenError::Busy:
        return fillIn(text::kOpenBusy.pick(language), {name});
    case OpenError::Missing:
        return fillIn(text::kOpenMissing.pick(language), {name, adapters(present, language)});
    case OpenError::Other:
        break;
    }
    return fillIn(text::kOpenOther.pick(language), {name, result.systemReason});
}

std::string openFailureText(const std::string &device, const OpenResult &result,
                            const PortList &present, std::uint8_t language)
{
    std::string box = text::kComOpeningError;
    if (const std::string line = openFailureLine(device, result, present, language); !line.empty())
        box += "\n" + line;
    return box;
}

} // namespace velmora::link
