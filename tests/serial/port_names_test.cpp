#include "files/settings_file.h"
#include "link/port_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

using velmora::files::SettingsFile;
using velmora::link::comPortDevice;
using velmora::link::comPortName;
using velmora::link::ConfiguredPort;

namespace {

// A stand-in for the process environment.
class Environment {
public:
    void set(const std::string &name, const std::string &value) { m_values[name] = value; }

    std::function<const char *(const char *)> lookup() const
    {
        return [this](const char *name) -> const char * {
            const auto it = m_values.find(name);
            return it == m_values.end() ? nullptr : it->second.c_str();
        };
    }

private:
    std::map<std::string, std::string> m_values;
};

// The devices a settings file names, answered as the window and the tool answer them.
ConfiguredPort configuredIn(SettingsFile settings)
{
    return [settings = std::move(settings)](const std::string &name) {
        return velmora::files::portTable(settings)(name);
    };
}

ConfiguredPort portSettings(const char *text)
{
    return configuredIn(SettingsFile::fromText(std::string("[PORTS]\n") + text));
}

} // namespace

TEST(PortNames, NamesCoverCom1ToCom10)
{
    EXPECT_EQ(comPortName(1), "COM1");
    EXPECT_EQ(comPortName(10), "COM10");
    EXPECT_EQ(comPortName(0), "");
    EXPECT_EQ(comPortName(11), "");
    EXPECT_EQ(comPortName(-1), "");
}

TEST(PortDevice, EnvironmentBeatsSettingsBeatsTheSystemName)
{
    Environment env;
    const ConfiguredPort settings = portSettings("COM2=/dev/ttyUSB0\nCOM10=/dev/ttyUSB9\n");

    EXPECT_EQ(comPortDevice(1, settings, env.lookup()), "/dev/ttyS0");
    EXPECT_EQ(comPortDevice(2, settings, env.lookup()), "/dev/ttyUSB0");
    EXPECT_EQ(comPortDevice(10, settings, env.lookup()), "/dev/ttyUSB9");

    env.set("VELMORA_COM2", "/dev/pts/7");
    env.set("VELMORA_COM1", "/dev/pts/8");
    EXPECT_EQ(comPortDevice(2, settings, env.lookup()), "/dev/pts/7");
    EXPECT_EQ(comPortDevice(1, settings, env.lookup()), "/dev/pts/8");
    // COM1's variable is no prefix match for COM10.
    EXPECT_EQ(comPortDevice(10, settings, env.lookup()), "/dev/ttyUSB9");
    EXPECT_EQ(comPortDevice(3, settings, env.lookup()), "/dev/ttyS2");
}

TEST(PortDevice, EmptyValuesCountAsUnset)
{
    Environment env;
    env.set("VELMORA_COM4", "");
    env.set("VELMORA_COM5", "");
    const ConfiguredPort settings = portSettings("COM4=/dev/ttyACM0\nCOM5=\n");
    EXPECT_EQ(comPortDevice(4, settings, env.lookup()), "/dev/ttyACM0");
    EXPECT_EQ(comPortDevice(5, settings, env.lookup()), "/dev/ttyS4");
    // No environment at all.
    EXPECT_EQ(comPortDevice(4, settings, nullptr), "/dev/ttyACM0");
    // Nothing configured at all.
    EXPECT_EQ(comPortDevice(4, nullptr, env.lookup()), "/dev/ttyS3");
}

TEST(PortDevice, NumbersOutsideOneToTenGiveNothing)
{
    Environment env;
    env.set("VELMORA_COM0", "/dev/pts/1");
    env.set("VELMORA_COM11", "/dev/pts/2");
    const ConfiguredPort settings = portSettings("COM0=/dev/ttyUSB0\nCOM11=/dev/ttyUSB1\n");
    for (int n : {0, 11, -1, 1000})
        EXPECT_EQ(comPortDevice(n, settings, env.lookup()), "") << n;
}

TEST(PortDevice, ReadsTheProcessEnvironmentByDefault)
{
    const char *saved = std::getenv("VELMORA_COM6");
    const std::optional<std::string> restore =
        saved ? std::optional<std::string>(saved) : std::nullopt;

    ::setenv("VELMORA_COM6", "/dev/pts/42", 1);
    EXPECT_EQ(comPortDevice(6, configuredIn(SettingsFile())), "/dev/pts/42");
    ::unsetenv("VELMORA_COM6");
    EXPECT_EQ(comPortDevice(6, portSettings("com6=/dev/ttyUSB3\n")), "/dev/ttyUSB3");

    if (restore)
        ::setenv("VELMORA_COM6", restore->c_str(), 1);
}
