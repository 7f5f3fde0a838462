#pragma once

#include <QStringList>

namespace velmora::app {

// The program's own options are taken out; every other word is left for the window, which looks
// at the first one for a language. Unknown options are never an error.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool demo = false; // run against a simulated unit started inside the program
    QStringList arguments;
};

CommandLine parseCommandLine(const QStringList &argv); // argv[0] is the program
QString usageText();

} // namespace velmora::app
