// The line under "Com opening error": for each reason a port would not open, in each language,
// it names the device and tells the user what to do.
#include "link/open_failure.h"

#include <gtest/gtest.h>

#include <set>

using namespace velmora::link;

namespace {

constexpr std::uint8_t kCzech = 0, kEnglish = 1, kGerman = 2;
constexpr std::uint8_t kLanguages[] = {kCzech, kEnglish, kGerman};

const PortList kAdapters{
    {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3Q", 0x0403, 0x6001},
    {"/dev/ttyS0", "", "", "", {}, {}}, // a built-in port, no adapter
    {"/dev/ttyACM1", "", "Arduino", "", 0x2341, 0x0043},
};

bool has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

std::string line(OpenError error, std::uint8_t language, const PortList &ports = {},
                 const std::string &device = "/dev/ttyS4", const std::string &reason = {})
{
    return openFailureLine(device, {error, reason}, ports, language);
}

} // namespace

TEST(OpenFailure, BoxKeepsItsFirstLineAndAddsTheReasonUnderIt)
{
    for (std::uint8_t language : kLanguages) {
        const OpenResult busy{OpenError::Busy, {}};
        const std::string box = openFailureText("/dev/ttyUSB0", busy, {}, language);
        EXPECT_EQ(box, "Com opening error\n" + openFailureLine("/dev/ttyUSB0", busy, {}, language));
        EXPECT_FALSE(has(box.substr(box.find('\n') + 1), "\n")) << "two lines only";
    }
    // A port that opened has no reason to give.
    EXPECT_EQ(openFailureLine("/dev/ttyUSB0", {}, kAdapters, kEnglish), "");
    EXPECT_EQ(openFailureText("/dev/ttyUSB0", {}, kAdapters, kEnglish), "Com opening error");
}

TEST(OpenFailure, EveryReasonNamesTheDeviceInEveryLanguage)
{
    for (OpenError error :
         {OpenError::PermissionDenied, OpenError::Busy, OpenError::Missing, OpenError::Other}) {
        std::set<std::string> wordings;
        for (std::uint8_t language : kLanguages) {
            const std::string text = line(error, language, kAdapters, "/dev/ttyUSB7", "Boom");
            EXPECT_TRUE(has(text, "/dev/ttyUSB7")) << text;
            EXPECT_FALSE(has(text, "%1") || has(text, "%2")) << text;
            wordings.insert(text);
        }
        EXPECT_EQ(wordings.size(), 3u) << "each language words it its own way";
    }
    // Any index other than Czech and German reads as English.
    EXPECT_EQ(line(OpenError::Busy, 7), line(OpenError::Busy, kEnglish));
}

TEST(OpenFailure, PermissionTellsHowToJoinTheDialoutGroup)
{
    for (std::uint8_t language : kLanguages) {
        const std::string text = line(OpenError::PermissionDenied, language);
        EXPECT_TRUE(has(text, "sudo adduser $USER dialout")) << text;
    }
    EXPECT_TRUE(has(line(OpenError::PermissionDenied, kEnglish), "log in again"));
    EXPECT_TRUE(has(line(OpenError::PermissionDenied, kCzech), "přihlaste se znovu"));
    EXPECT_TRUE(has(line(OpenError::PermissionDenied, kGerman), "melden Sie sich neu an"));
}

TEST(OpenFailure, BusySaysAnotherProgramHoldsIt)
{
    EXPECT_TRUE(has(line(OpenError::Busy, kEnglish), "another program"));
    EXPECT_TRUE(has(line(OpenError::Busy, kCzech), "jiný program"));
    EXPECT_TRUE(has(line(OpenError::Busy, kGerman), "anderen Programm"));
    EXPECT_FALSE(has(line(OpenError::Busy, kEnglish), "dialout"));
}

TEST(OpenFailure, MissingListsTheUsbAdaptersPresentAndPointsToPortSetup)
{
    const std::string english = line(OpenError::Missing, kEnglish, kAdapters);
    EXPECT_TRUE(has(english, "/dev/ttyUSB0 (FT232R USB UART), /dev/ttyACM1")) << english;
    EXPECT_FALSE(has(english, "/dev/ttyS0")) << "a built-in port is no USB adapter";
    EXPECT_TRUE(has(english, "Port setup"));
    EXPECT_TRUE(has(english, "Com menu"));
    EXPECT_TRUE(has(line(OpenError::Missing, kCzech, kAdapters), "/dev/ttyACM1"));
    EXPECT_TRUE(has(line(OpenError::Missing, kGerman, kAdapters), "/dev/ttyACM1"));

    // Without adapters it says that none is there, and still where to assign one.
    const PortList builtInOnly{kAdapters[1]};
    for (std::uint8_t language : kLanguages) {
        const std::string none = line(OpenError::Missing, language, builtInOnly);
        const std::string empty = line(OpenError::Missing, language, {});
        EXPECT_EQ(none, empty);
        EXPECT_FALSE(has(none, "/dev/ttyS0"));
        EXPECT_NE(none, line(OpenError::Missing, language, kAdapters));
    }
    EXPECT_TRUE(has(line(OpenError::Missing, kEnglish), "No USB serial adapter"));
    EXPECT_TRUE(has(line(OpenError::Missing, kEnglish), "Port setup"));
}

TEST(OpenFailure, AnyOtherReasonGivesTheSystemsWordsAsTheyAre)
{
    const std::string reason = "Input/output error (100% sure)";
    for (std::uint8_t language : kLanguages) {
        const std::string text = line(OpenError::Other, language, {}, "/dev/tty%1X", reason);
        EXPECT_TRUE(has(text, reason)) << text;
        EXPECT_TRUE(has(text, "/dev/tty%1X")) << "a '%' of the device is kept: " << text;
    }
    // A port that names no device at all says so.
    EXPECT_TRUE(has(line(OpenError::Missing, kEnglish, {}, ""), "(no device)"));
}
