// Ports as the system lists them, the stable names udev gives USB adapters, and what each COM
// number stands for, against fake port lists and a temporary folder of links.
#include "../files/temp_folder.h"

#include "files/settings_file.h"
#include "link/port_catalog.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace velmora::link;
using velmora::files::SettingsFile;
namespace fs = std::filesystem;

namespace {

PortEntry usbPort(const std::string &device, std::uint16_t vendor, std::uint16_t product)
{
    return {device, "FT232R USB UART", "FTDI", "A10K3Q", vendor, product};
}

// A by-id folder as udev makes it: links relative to the folder, into a "dev" folder beside it.
class ByIdFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(byId());
        fs::create_directories(dev());
    }
    fs::path byId() const { return folder.path() / "serial" / "by-id"; }
    fs::path dev() const { return folder.path() / "dev"; }
    std::string device(const char *name) const { return (dev() / name).string(); }
    std::string link(const char *name, const fs::path &target) const
    {
        const fs::path path = byId() / name;
        fs::create_symlink(target, path);
        return path.string();
    }
    void touch(const std::string &path) const { std::ofstream(path).put('x'); }

    velmora::test::TempFolder folder;
};

} // namespace

TEST(PortCatalog, UsbIdIsFourHexDigitsEach)
{
    EXPECT_EQ(usbId(usbPort("/dev/ttyUSB0", 0x0403, 0x6001)), "0403:6001");
    EXPECT_EQ(usbId(usbPort("/dev/ttyUSB0", 0x1a86, 0x7523)), "1a86:7523");
    EXPECT_EQ(usbId(usbPort("/dev/ttyUSB0", 0xFFFF, 0x0000)), "ffff:0000");
    EXPECT_EQ(usbId(PortEntry{"/dev/ttyS0", {}, {}, {}, {}, {}}), "");
    // Half an id is no id.
    EXPECT_EQ(usbId(PortEntry{"/dev/ttyS0", {}, {}, {}, 0x0403, {}}), "");
}

TEST_F(ByIdFolder, StablePathIsTheLinkLeadingToTheDevice)
{
    const std::string usb0 = device("ttyUSB0");
    const std::string usb1 = device("ttyUSB1");
    link("usb-FTDI_FT232R_A10K3Q-if00-port0", "../../dev/ttyUSB1");
    const std::string first = link("usb-Prolific_2303-if00-port0", "../../dev/ttyUSB0");
    // Several links to the same adapter: the first by name, every time.
    link("usb-Prolific_2303-if01-port0", "../../dev/ttyUSB0");

    EXPECT_EQ(stableDevicePath(usb0, byId()), first);
    EXPECT_EQ(stableDevicePath(usb1, byId()),
              (byId() / "usb-FTDI_FT232R_A10K3Q-if00-port0").string());
    // A device no link leads to, and a name that already is the stable one, stay as they are.
    EXPECT_EQ(stableDevicePath(device("ttyS0"), byId()), device("ttyS0"));
    EXPECT_EQ(stableDevicePath(first, byId()), first);
    // No folder at all (no USB adapter was ever plugged), or no device.
    EXPECT_EQ(stableDevicePath(usb0, folder.path() / "none"), usb0);
    EXPECT_EQ(stableDevicePath("", byId()), "");
}

TEST_F(ByIdFolder, AbsoluteAndChainedLinksLeadToTheirEnd)
{
    const std::string target = device("ttyACM0");
    const std::string absolute = link("usb-Arduino-if00", target);
    const fs::path chained = folder.path() / "chained";
    fs::create_symlink(absolute, chained);
    EXPECT_EQ(followLinks(absolute), fs::path(target));
    EXPECT_EQ(followLinks(chained), fs::path(target));
    EXPECT_EQ(followLinks(target), fs::path(target)); // no link: itself, existing or not
    EXPECT_EQ(stableDevicePath(target, byId()), absolute);

    // A circle of links ends without hanging.
    const fs::path a = folder.path() / "a";
    const fs::path b = folder.path() / "b";
    fs::create_symlink(b, a);
    fs::create_symlink(a, b);
    const fs::path end = followLinks(a);
    EXPECT_TRUE(end == a || end == b);
}

TEST_F(ByIdFolder, PresentWhenListedLinkedToAListedPortOrExisting)
{
    const PortList ports{usbPort(device("ttyUSB0"), 0x0403, 0x6001)};
    const std::string toListed = link("usb-FTDI-if00-port0", "../../dev/ttyUSB0");
    const std::string toUnplugged = link("usb-CH340-if00-port0", "../../dev/ttyUSB5");
    const std::string pty = device("pts-7");
    touch(pty);

    // The device nodes of the fake list need not exist: the list says they are there.
    EXPECT_TRUE(devicePresent(device("ttyUSB0"), ports));
    EXPECT_TRUE(devicePresent(toListed, ports));
    EXPECT_FALSE(devicePresent(toUnplugged, ports));
    EXPECT_FALSE(devicePresent(device("ttyUSB1"), ports));
    EXPECT_TRUE(devicePresent(pty, ports)); // not a listed port, but it is there
    EXPECT_FALSE(devicePresent("", ports));
    EXPECT_FALSE(devicePresent(device("ttyUSB0"), {}));
}

TEST_F(ByIdFolder, EveryComNumberMapsAsThePortTableAndEnvironmentSay)
{
    const PortList ports{usbPort(device("ttyUSB0"), 0x0403, 0x6001)};
    const std::string stable = link("usb-FTDI-if00-port0", "../../dev/ttyUSB0");
    const SettingsFile settings =
        SettingsFile::fromText("[PORTS]\nCOM3=" + stable + "\nCOM4=" + device("ttyUSB9") + "\n");
    const auto environment = [](const char *name) -> const char * {
        return std::string(name) == "VELMORA_COM5" ? "/dev/null" : nullptr;
    };

    const auto coms = comAssignments(velmora::files::portTable(settings), ports, environment);
    ASSERT_EQ(coms.size(), 10u);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(coms[n - 1].number, n);
    EXPECT_EQ(coms[2].device, stable);
    EXPECT_TRUE(coms[2].present);
    EXPECT_EQ(coms[3].device, device("ttyUSB9"));
    EXPECT_FALSE(coms[3].present);
    EXPECT_EQ(coms[4].device, "/dev/null"); // the environment wins
    EXPECT_TRUE(coms[4].present);
    EXPECT_EQ(coms[9].device, "/dev/ttyS9");
}
