// The programs as a user starts them: --version answers with the release the build was
// configured with and stops, before any window, port or unit exists.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct ProgramRun {
    int code = -1; // -1 when the program did not exit normally
    std::string out;
};

// Standard input is empty so that nothing can wait for it; what goes to standard error is not
// looked at. No display and no platform named: as on a terminal over a remote login.
ProgramRun runProgram(const char *path, const std::string &arguments)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                                std::string(path) + "' " + arguments + " </dev/null 2>/dev/null";
    ProgramRun run;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 256> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (status != -1 && WIFEXITED(status))
        run.code = WEXITSTATUS(status);
    return run;
}

struct Program {
    const char *name;
    const char *path;
};

constexpr std::array<Program, 3> kPrograms{{{"velmora", VELMORA_PROGRAM},
                                            {"velmora-cli", VELMORA_CLI_PROGRAM},
                                            {"velmora-unit", VELMORA_UNIT_PROGRAM}}};

} // namespace

TEST(ReleaseVersion, EveryProgramPrintsTheConfiguredRelease)
{
    for (const Program &program : kPrograms) {
        const ProgramRun run = runProgram(program.path, "--version");
        EXPECT_EQ(run.code, 0) << program.name;
        EXPECT_EQ(run.out, std::string(program.name) + " " + VELMORA_CONFIGURED_VERSION + "\n")
            << program.name;
    }
}

TEST(ReleaseVersion, TheWindowProgramAnswersHelpWithoutADisplay)
{
    const ProgramRun run = runProgram(VELMORA_PROGRAM, "--help");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out.rfind("Usage: velmora ", 0), 0u) << run.out;
}

TEST(ReleaseVersion, TheUnitsIdentityVersionHasANameOfItsOwn)
{
    // The identity's version byte is still checked and taken under its own name ...
    const ProgramRun renamed = runProgram(VELMORA_UNIT_PROGRAM, "--identity-version 12 --version");
    EXPECT_EQ(renamed.code, 0);
    EXPECT_EQ(renamed.out, std::string("velmora-unit ") + VELMORA_CONFIGURED_VERSION + "\n");
    const ProgramRun outOfRange =
        runProgram(VELMORA_UNIT_PROGRAM, "--identity-version 256 --version");
    EXPECT_EQ(outOfRange.code, 2);
    EXPECT_EQ(outOfRange.out, "");

    // ... and --version takes no number any more: no unit starts, nothing names a device.
    for (const char *old : {"--version 12", "--version=12"}) {
        const ProgramRun run = runProgram(VELMORA_UNIT_PROGRAM, old);
        EXPECT_EQ(run.code, 2) << old;
        EXPECT_EQ(run.out, "") << old;
    }
}
