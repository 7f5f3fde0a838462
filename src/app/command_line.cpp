#include "command_line.h"

namespace velmora::app {

CommandLine parseCommandLine(const QStringList &argv)
{
    CommandLine out;
    for (qsizetype i = 1; i < argv.size(); ++i) {
        const QString &word = argv[i];
        if (word == QLatin1String("--help") || word == QLatin1String("-h"))
            out.help = true;
        else if (word == QLatin1String("--version"))
            out.version = true;
        else if (word == QLatin1String("--demo"))
            out.demo = true;
        else
            out.arguments << word;
    }
    return out;
}

QString usageText()
{
    return QStringLiteral("Usage: velmora [--demo] [ENGLISH|CESKY|DEUTSCH] [--help] [--version]\n"
                          "\n"
                          "Configurator of the Velmora 05 engine-control unit.\n"
                          "  ENGLISH, CESKY, DEUTSCH  language of the window (exact spelling)\n"
                          "  --demo                   talk to a simulated unit started inside the\n"
                          "                           program instead of a real serial port\n"
                          "  --help                   this text\n"
                          "  --version                the program's version\n");
}

} // namespace velmora::app
