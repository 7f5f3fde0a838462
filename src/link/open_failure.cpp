#include "open_failure.h"

#include "link_texts.h"

#include <initializer_list>

namespace velmora::link {

namespace {

// `pattern` with %1 and %2 replaced in one pass, so that a device or a system text holding a
// '%' comes out as it is.
std::string fill(const char *pattern, std::initializer_list<std::string> values)
{
    std::string out;
    for (const char *c = pattern; *c; ++c) {
        const bool placeholder = c[0] == '%' && c[1] >= '1' && c[1] <= '9' &&
                                 static_cast<std::size_t>(c[1] - '1') < values.size();
        if (placeholder) {
            out += values.begin()[c[1] - '1'];
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

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
    return fill(text::kUsbAdapters.pick(language), {list});
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
        return fill(text::kOpenPermission.pick(language), {name});
    case OpenError::Busy:
        return fill(text::kOpenBusy.pick(language), {name});
    case OpenError::Missing:
        return fill(text::kOpenMissing.pick(language), {name, adapters(present, language)});
    case OpenError::Other:
        break;
    }
    return fill(text::kOpenOther.pick(language), {name, result.systemReason});
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
