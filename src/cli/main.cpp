#include "cli.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char *argv[])
{
    // The serial port wants an application object, though no event loop runs.
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return velmora::cli::runCli(args, std::cout, std::cerr);
}
