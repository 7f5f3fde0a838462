// `velmora-cli ports`, and what the tool says when a port will not open, on port lists and
// opening outcomes of the test's own.
#include "cli_test_support.h"

#include "../files/temp_folder.h"

#include "files/settings_file.h"
#include "link/open_failure.h"
#include "link/port_catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

using namespace velmora;
using velmora::test::runTool;

namespace {

// Sets environment variables for one test and puts back what was there before.
class ScopedEnvironment {
public:
    ~ScopedEnvironment()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    void set(const std::string &name, const std::optional<std::string> &value)
    {
        if (!m_saved.contains(name)) {
            const char *old = std::getenv(name.c_str());
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

class CliPortsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The machine's own settings and port variables stay out of the test.
        environment.set("XDG_CONFIG_HOME", folder.path().string());
        for (int n = 1; n <= 10; ++n)
            environment.set("VELMORA_COM" + std::to_string(n), std::nullopt);
    }
    void writeSettings(const std::string &text) const
    {
        const std::filesystem::path path = files::defaultSettingsPath();
        ASSERT_EQ(path, folder.path() / "velmora" / "Velmora05.ini");
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    cli::UnitAccess access(link::OpenResult why = {link::OpenError::Missing, {}}) const
    {
        cli::UnitAccess a;
        a.openPort = [why](const std::string &) { return cli::OpenedPort(why); };
        a.makeTicks = [] { return std::unique_ptr<cli::TickSource>(); };
        a.listPorts = [this] { return ports; };
        return a;
    }
    static std::vector<std::string> lines(const std::string &text)
    {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }

    velmora::test::TempFolder folder;
    ScopedEnvironment environment;
    link::PortList ports;
};

} // namespace

TEST_F(CliPortsTest, ListsEveryPortThenWhatEachComNumberStandsFor)
{
    const std::filesystem::path byId = folder.path() / "by-id";
    std::filesystem::create_directories(byId);
    const std::string stable = (byId / "usb-FTDI_FT232R_A10K3Q-if00-port0").string();
    std::filesystem::create_symlink("/dev/ttyUSB0", stable);
    ports = {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3Q", 0x0403, 0x6001},
             {"/dev/ttyS0", "", "", "", {}, {}},
             {"/dev/ttyACM0", "Uno", "Arduino", "", 0x2341, 0x0043}};
    writeSettings("[Main]\nCOM=3\n[PORTS]\nCOM3=" + stable + "\nCOM4=/dev/ttyUSB7\n");
    environment.set("VELMORA_COM5", "/dev/null");

    const auto run = runTool({"ports"}, access());
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    // An unlisted system port is present when its node exists on this machine.
    const auto systemPort = [](int n) {
        const std::string device = "/dev/ttyS" + std::to_string(n - 1);
        return "COM" + std::to_string(n) + "\t" + device + "\t" +
               (std::filesystem::exists(device) ? "present" : "absent");
    };
    std::vector<std::string> expected{
        "/dev/ttyUSB0\tFT232R USB UART\tFTDI\tA10K3Q\t0403:6001",
        "/dev/ttyS0\t-\t-\t-\t-",
        "/dev/ttyACM0\tUno\tArduino\t-\t2341:0043",
        "COM1\t/dev/ttyS0\tpresent", // listed
        systemPort(2),
        "COM3\t" + stable + "\tpresent", // through its by-id link
        "COM4\t/dev/ttyUSB7\tabsent",    // named in the settings, unplugged
        "COM5\t/dev/null\tpresent",      // the environment wins; it exists
    };
    for (int n = 6; n <= 10; ++n)
        expected.push_back(systemPort(n));
    EXPECT_EQ(lines(run.out), expected);
}

TEST_F(CliPortsTest, NoPortsIsNoError)
{
    const auto run = runTool({"ports"}, access());
    EXPECT_EQ(run.code, 0);
    const auto got = lines(run.out);
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got.front().rfind("COM1\t/dev/ttyS0\t", 0), 0u);
    EXPECT_EQ(got.back().rfind("COM10\t/dev/ttyS9\t", 0), 0u);

    EXPECT_EQ(runTool({"ports", "extra"}, access()).code, 2);
    EXPECT_EQ(runTool({"ports", "--port", "1"}, access()).code, 2);
    const auto help = runTool({"ports", "--help"}, access());
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("VELMORA_COMn"), std::string::npos);
    EXPECT_NE(runTool({"--help"}, access()).out.find("  ports "), std::string::npos);
}

TEST_F(CliPortsTest, UnopenablePortGivesBothLinesInTheUsersLanguage)
{
    writeSettings("[PORTS]\nCOM2=/dev/ttyUSB3\n");
    const link::OpenResult busy{link::OpenError::Busy, {}};
    const auto run = runTool({"--language", "DEUTSCH", "read", "--port", "2"}, access(busy));
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err,
              "Com opening error\n" + link::openFailureLine("/dev/ttyUSB3", busy, ports, 2) + "\n");
    EXPECT_NE(run.err.find("anderen Programm"), std::string::npos);
    EXPECT_TRUE(run.out.empty());

    // A missing device lists the adapters the tool found.
    ports = {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3Q", 0x0403, 0x6001}};
    const auto missing = runTool({"monitor", "--device", "/dev/ttyUSB9"}, access());
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err.rfind("Com opening error\n/dev/ttyUSB9 does not exist.", 0), 0u)
        << missing.err;
    EXPECT_NE(missing.err.find("/dev/ttyUSB0 (FT232R USB UART)"), std::string::npos);
}

TEST_F(CliPortsTest, RealPortListEndsWithTenComLines)
{
    const auto run = runTool({"ports"});
    EXPECT_EQ(run.code, 0) << run.err;
    const auto got = lines(run.out);
    ASSERT_GE(got.size(), 10u);
    for (std::size_t i = 0; i < got.size(); ++i) {
        const auto tabs = std::count(got[i].begin(), got[i].end(), '\t');
        const bool com = i + 10 >= got.size();
        EXPECT_EQ(tabs, com ? 2 : 4) << got[i];
        if (com) {
            EXPECT_EQ(got[i].rfind("COM" + std::to_string(i + 11 - got.size()) + "\t", 0), 0u);
        }
    }
}
