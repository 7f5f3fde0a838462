#pragma once

#include "link/port_catalog.h"

namespace velmora::link {

// The serial ports the system knows of now, as Qt Serial Port lists them, by device path.
PortList systemPorts();

} // namespace velmora::link
