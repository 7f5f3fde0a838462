#include "qt_port_catalog.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace velmora::link {

PortList systemPorts()
{
    PortList ports;
    const QList<QSerialPortInfo> found = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : found) {
        PortEntry port;
        port.device = info.systemLocation().toStdString();
        port.description = info.description().toStdString();
        port.manufacturer = info.manufacturer().toStdString();
        port.serialNumber = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vendorId = info.vendorIdentifier();
            port.productId = info.productIdentifier();
        }
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortEntry &a, const PortEntry &b) { return a.device < b.device; });
    return ports;
}

} // namespace velmora::link
