#pragma once

#include <functional>

namespace velmora::ui {
class TFormHlav;
}

namespace velmora::app {

// Called once with the main window right after it has been shown, before the event loop runs.
using WindowShown = std::function<void(ui::TFormHlav &window)>;

// The whole program from the command line to the end of the event loop; returns the exit status.
// `shown` lets a harness (the start-up benchmark) watch the very start path the user gets.
int runProgram(int &argc, char **argv, const WindowShown &shown = {});

} // namespace velmora::app
