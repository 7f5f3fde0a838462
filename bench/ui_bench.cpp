// The after-change step on the real window, off screen: take-over of all 406 cells, the
// consistency pass and the show step. Every edit pays this once (twice for Enter in a cell).
#include "ui/dialogs.h"
#include "ui/tformhlav.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// The settings of the benchmark's own folder (the run sets it), ports as the settings name them.
velmora::ui::WindowOptions windowOptions()
{
    velmora::ui::WindowOptions options;
    options.settingsPath = velmora::files::defaultSettingsPath();
    return options;
}

void BM_AfterChangeStep(benchmark::State &state)
{
    velmora::ui::SilentDialogs dialogs;
    velmora::ui::TFormHlav window(dialogs, windowOptions());
    window.show();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        // Alternate a value so the show step really rewrites cells.
        window.image()[velmora::layout::kAdvance] = static_cast<std::uint8_t>(10 + (step++ & 1));
        window.showStep();
        window.takeOverStep();
        window.afterChangeStep();
    }
}
BENCHMARK(BM_AfterChangeStep)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// Applying one decoded monitor reply to the labels and gauges of the window.
void BM_ShowMonitor(benchmark::State &state)
{
    velmora::ui::SilentDialogs dialogs;
    velmora::ui::TFormHlav window(dialogs, windowOptions());
    window.show();
    QApplication::processEvents();
    velmora::link::MonitorDisplay a, b;
    a.rpm = {"RPM = 4200 ", velmora::link::Colour::Normal};
    b.rpm = {"RPM = 4300 ", velmora::link::Colour::Yellow};
    a.rpmGauge = 28;
    b.rpmGauge = 29;
    int i = 0;
    for (auto _ : state)
        window.showMonitor((i++ & 1) ? a : b); // alternate so every call really changes text
}
BENCHMARK(BM_ShowMonitor)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int n = 1; n <= 10; ++n) // no serial port: only the editing steps are timed
        qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1().constData(), "/nonexistent");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
