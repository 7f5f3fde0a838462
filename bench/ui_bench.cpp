// The after-change step on the real window, off screen: take-over of all 406 cells, the
// consistency pass and the show step. Every edit pays this once (twice for Enter in a cell).
#include "ui/dialogs.h"
#include "ui/tformhlav.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_AfterChangeStep(benchmark::State &state)
{
    velmora::ui::SilentDialogs dialogs;
    velmora::ui::TFormHlav window(dialogs, {});
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
