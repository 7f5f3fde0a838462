// "Map analysis...": a ride log's proposals reviewed in a window of their own, from the Tools menu
// and from the log viewer, and applied into the window's set as one undo step.
#include "window_link_fixture.h"

#include "model/cells.h"
#include "model/image_layout.h"
#include "ui/analysis_window.h"
#include "ui/controls.h"
#include "ui/log_viewer.h"

#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>
#include <fstream>
#include <sstream>

using namespace velmora;
using velmora::link::TransferMode;
using velmora::ui::AnalysisWindow;

namespace {

constexpr double kThrottleRows[] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};
constexpr int kRow = 4; // throttle 20 %
// Cells of TP14 row kRow the ride holds, each long enough to be steady: lean, so each gets more
// fuel.
constexpr int kColumns[] = {3, 4, 5, 6};

class AnalysisWindowTest : public velmora::test::WindowLinkTest {
protected:
    void SetUp() override
    {
        open();
        find<QAction>(QStringLiteral("MenuEnglish"))->trigger();
        dialogs.messages.clear();
    }
    // A warm, steady, lean ride on the speed axis points of the window's set at throttle 20 %:
    // every row sits on one cell of each throttle map, so its whole weight goes there.
    std::string leanRide() const
    {
        std::ostringstream csv;
        csv << "time [ISO 8601],rpm [rpm],throttle [%],intake pressure [%],lambda [mV],"
               "coolant [°C],duty [%],injection time 14 [us],injection time 23 [us],"
               "load [source],TP14 row [index],TP14 column [index],TP23 row [index],"
               "TP23 column [index],IAP row [index],IAP column [index],event [text]\n";
        int tenth = 0;
        for (int column : kColumns) {
            const int rpm = 100 * at(layout::kRpmJetTp + std::size_t(column));
            for (int n = 0; n < 30; ++n, ++tenth)
                csv << "2026-05-01T10:" << 10 + tenth / 600 << ':' << (tenth / 10) % 60 / 10
                    << (tenth / 10) % 10 << '.' << tenth % 10 << ',' << rpm << ','
                    << kThrottleRows[kRow] << ",50," << 150 + 10 * (n % 5) << ",85,40,3000,3000,"
                    << "throttle," << kRow << ',' << column << ',' << kRow << ',' << column
                    << ",4,4,\n";
        }
        return csv.str();
    }
    QString write(const char *name, const std::string &text) const
    {
        const QString path = config.filePath(QString::fromUtf8(name));
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }
    AnalysisWindow *openFromMenu(const QString &path)
    {
        dialogs.logPaths.push_back(path);
        find<QAction>(QStringLiteral("MenuAnalysis"))->trigger();
        return review();
    }
    AnalysisWindow *review() const
    {
        const auto open = window->findChildren<AnalysisWindow *>(QStringLiteral("AnalysisWindow"));
        return open.size() == 1 ? open.front() : nullptr;
    }
    template <typename T> static T *part(const QWidget *w, const char *name)
    {
        T *found = w->findChild<T *>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The cells of TP14 with a proposal, as (row, column).
    static std::vector<std::pair<int, int>> proposing(const AnalysisWindow *w, int map = 0)
    {
        std::vector<std::pair<int, int>> cells;
        for (int r = 0; r < 10; ++r)
            for (int c = 0; c < 10; ++c)
                if (w->shown().maps[std::size_t(map)][std::size_t(r)][std::size_t(c)].proposes())
                    cells.emplace_back(r, c);
        return cells;
    }
    static std::size_t byte(int map, int row, int column)
    {
        return std::size_t(300 + 100 * map + 10 * row + column);
    }
};

TEST_F(AnalysisWindowTest, OpensFromTheToolsMenuAndShowsEachCellsValues)
{
    QAction *item = find<QAction>(QStringLiteral("MenuAnalysis"));
    const QList<QAction *> tools = find<QMenu>(QStringLiteral("MenuTools"))->actions();
    EXPECT_EQ(tools.back(), item); // the very end of Tools, after Graphs
    EXPECT_EQ(tools[tools.size() - 2]->objectName(), QStringLiteral("MenuGraphs"));

    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("lean.csv")));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(w->shown().rows, 4 * 30);
    EXPECT_GT(w->shown().trusted, 0);

    // Every cell the ride held long enough is lean: more fuel, shown as now -> proposal, change
    // and weight; a cell the ride never saw stays plain.
    const auto cells = proposing(w);
    ASSERT_EQ(cells.size(), std::size(kColumns));
    auto *grid = part<QTableWidget>(w, "AnalysisTP14");
    for (auto [r, c] : cells) {
        const auto &cell = w->shown().maps[0][std::size_t(r)][std::size_t(c)];
        EXPECT_EQ(r, kRow);
        EXPECT_EQ(cell.current, at(byte(0, r, c)));
        EXPECT_GT(cell.proposed, cell.current);
        const QString text = grid->item(r, c)->text();
        EXPECT_TRUE(
            text.startsWith(QStringLiteral("%1 → %2\n").arg(cell.current).arg(cell.proposed)))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::number(cell.weight, 'f', 1))) << text.toStdString();
    }
    EXPECT_EQ(grid->item(0, 0)->text(), QString::number(at(byte(0, 0, 0))));
    EXPECT_NE(grid->item(kRow, kColumns[0])->background(), grid->item(0, 0)->background());
    // Labelled as the main grid labels TP14.
    EXPECT_EQ(grid->horizontalHeaderItem(3)->text(),
              window->grid().edit(cell::kRpmJetTp + 3)->text());

    // The filter counts add up with the trusted rows to the rows of the log.
    int removed = 0;
    for (int n : w->shown().removed)
        removed += n;
    EXPECT_EQ(removed + w->shown().trusted, w->shown().rows);
    EXPECT_TRUE(part<QLabel>(w, "AnalysisHeading")
                    ->text()
                    .contains(QStringLiteral("trusted: %1").arg(w->shown().trusted)));
    EXPECT_TRUE(
        part<QLabel>(w, "AnalysisFilters")
            ->text()
            .contains(QStringLiteral("(coolant below 70 °C): %1").arg(w->shown().removed[0])));
}

TEST_F(AnalysisWindowTest, AnUnreadableLogIsToldAndOpensNoWindow)
{
    EXPECT_EQ(openFromMenu(write("broken.csv", "no header at all\n1,2,3\n")), nullptr);
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(openFromMenu(config.filePath(QStringLiteral("missing.csv"))), nullptr);
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(AnalysisWindowTest, TheLogViewersAnalyseOpensItsLog)
{
    dialogs.logPaths.push_back(write("ride.csv", leanRide()));
    find<QAction>(QStringLiteral("MenuOpenLog"))->trigger();
    auto *viewer = window->findChild<ui::LogViewer *>(QStringLiteral("LogViewer"));
    ASSERT_NE(viewer, nullptr);
    part<QPushButton>(viewer, "LogViewerAnalyse")->click();
    AnalysisWindow *w = review();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("ride.csv")));
    EXPECT_EQ(proposing(w).size(), std::size(kColumns));
}

TEST_F(AnalysisWindowTest, ApplyWritesTheCellsNotExcludedAsOneUndoStepAndOnlyOnce)
{
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    const auto cells = proposing(w);
    ASSERT_GE(cells.size(), 2u);
    const DeviceImage before = window->image();
    const analysis::Analysis shown = w->shown();

    // A click excludes a cell: crossed out, and left alone by Apply.
    auto *grid = part<QTableWidget>(w, "AnalysisTP14");
    const auto [xr, xc] = cells.front();
    emit grid->cellClicked(xr, xc);
    EXPECT_TRUE(w->excluded()[0][std::size_t(xr)][std::size_t(xc)]);
    EXPECT_TRUE(grid->item(xr, xc)->font().strikeOut());

    part<QPushButton>(w, "AnalysisApply")->click();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < layout::kImageSize; ++i) {
        if (window->image()[i] == before[i])
            continue;
        ++changed;
        const int map = int(i / 100) - 3;
        const int r = int(i % 100) / 10, c = int(i % 10);
        ASSERT_TRUE(map >= 0 && map < 3) << i;
        const auto &cell = shown.maps[std::size_t(map)][std::size_t(r)][std::size_t(c)];
        EXPECT_TRUE(cell.proposes()) << i;
        EXPECT_EQ(window->image()[i], cell.proposed) << i;
    }
    EXPECT_EQ(window->image()[byte(0, xr, xc)], before[byte(0, xr, xc)]);
    std::size_t expected = 0;
    for (const auto &map : shown.maps)
        for (const auto &row : map)
            for (const auto &cell : row)
                expected += cell.proposes();
    EXPECT_EQ(changed, expected - 1);
    // The main grid shows the new value at once.
    const auto [ar, ac] = cells.back();
    EXPECT_EQ(
        window->grid().edit(cell::kJetTp + 10 * std::size_t(ar) + std::size_t(ac))->text().toInt(),
        window->image()[byte(0, ar, ac)]);
    EXPECT_TRUE(
        find<QAction>(QStringLiteral("MenuUndo"))->text().contains(QStringLiteral("Map analysis")));

    // A second Apply finds nothing left but the excluded cell.
    const DeviceImage applied = window->image();
    EXPECT_EQ(proposing(w).size(), 1u);
    const QString settled = grid->item(ar, ac)->text();
    EXPECT_TRUE(settled.startsWith(QString::number(applied[byte(0, ar, ac)]) + QLatin1Char('\n')))
        << settled.toStdString();
    EXPECT_FALSE(settled.contains(QStringLiteral("→")));
    emit grid->cellClicked(xr, xc); // still excluded after Apply; now taken back
    part<QPushButton>(w, "AnalysisApply")->click();
    EXPECT_EQ(window->image()[byte(0, ar, ac)], applied[byte(0, ar, ac)]);
    EXPECT_NE(window->image()[byte(0, xr, xc)], before[byte(0, xr, xc)]);

    // Two Applies, two steps: Undo twice restores every byte.
    find<QAction>(QStringLiteral("MenuUndo"))->trigger();
    EXPECT_EQ(window->image(), applied);
    find<QAction>(QStringLiteral("MenuUndo"))->trigger();
    EXPECT_EQ(window->image(), before);
}

TEST_F(AnalysisWindowTest, ASetChangedSinceTheAnalysisIsAnalysedAgainBeforeAnythingIsApplied)
{
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    const auto cells = proposing(w);
    ASSERT_FALSE(cells.empty());
    const auto [r, c] = cells.front();
    // The user edits a proposed cell in the main window after the analysis.
    window->image()[byte(0, r, c)] = std::uint8_t(at(byte(0, r, c)) + 20);
    window->afterChangeStep();
    const DeviceImage edited = window->image();

    part<QPushButton>(w, "AnalysisApply")->click();
    EXPECT_EQ(window->image(), edited); // nothing written over the edit
    EXPECT_EQ(w->shown().maps[0][std::size_t(r)][std::size_t(c)].current, edited[byte(0, r, c)]);
    EXPECT_TRUE(part<QLabel>(w, "AnalysisNote")->text().contains(QStringLiteral("analysed again")));

    // Checked, the second Apply writes the proposals made against the edited set.
    part<QPushButton>(w, "AnalysisApply")->click();
    EXPECT_NE(window->image(), edited);
    for (auto [pr, pc] : cells)
        EXPECT_NE(window->image()[byte(0, pr, pc)], edited[byte(0, pr, pc)]) << pr << ',' << pc;
}

TEST_F(AnalysisWindowTest, TheCapLimitsEveryChangeAndLoosensAgain)
{
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    auto *cap = part<QSpinBox>(w, "AnalysisCap");
    cap->setValue(250);
    int largest = 0;
    for (auto [r, c] : proposing(w)) {
        const auto &cell = w->shown().maps[0][std::size_t(r)][std::size_t(c)];
        largest = std::max(largest, cell.proposed - cell.current);
    }
    ASSERT_GT(largest, 1);
    cap->setValue(1);
    for (const auto &map : w->shown().maps)
        for (const auto &row : map)
            for (const auto &cell : row)
                EXPECT_LE(std::abs(cell.proposed - cell.current), 1);
    part<QPushButton>(w, "AnalysisApply")->click();
    for (auto [r, c] : proposing(w))
        ADD_FAILURE() << "still proposes " << r << ',' << c;
    cap->setValue(250);
    int after = 0;
    for (auto [r, c] : proposing(w)) {
        const auto &cell = w->shown().maps[0][std::size_t(r)][std::size_t(c)];
        after = std::max(after, std::abs(cell.proposed - cell.current));
    }
    EXPECT_EQ(after, 0); // applied cells stay settled until analysed again
}

TEST_F(AnalysisWindowTest, ThresholdsTakeEffectWhenAnalysedAgain)
{
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    const int trusted = w->shown().trusted;
    ASSERT_GT(trusted, 0);
    part<QSpinBox>(w, "AnalysisWarm")->setValue(90); // the ride's coolant is 85 °C
    EXPECT_EQ(w->shown().trusted, trusted);          // not before it is asked
    part<QPushButton>(w, "AnalysisReanalyse")->click();
    EXPECT_EQ(w->shown().trusted, 0);
    EXPECT_EQ(w->shown().removed[std::size_t(analysis::Filter::Cold)], w->shown().rows);
    EXPECT_TRUE(proposing(w).empty());
    EXPECT_FALSE(part<QPushButton>(w, "AnalysisApply")->isEnabled());

    part<QSpinBox>(w, "AnalysisWarm")->setValue(70);
    part<QDoubleSpinBox>(w, "AnalysisMinWeight")->setValue(1000);
    part<QPushButton>(w, "AnalysisReanalyse")->click();
    EXPECT_EQ(w->shown().trusted, trusted);
    EXPECT_TRUE(proposing(w).empty()); // no cell weighs that much
}

TEST_F(AnalysisWindowTest, SmoothingChangesOnlyWhatItIsAskedTo)
{
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    const analysis::Analysis plain = w->shown();
    part<QCheckBox>(w, "AnalysisSmooth")->setChecked(true);
    analysis::Analysis expected = plain;
    for (auto &map : expected.maps) {
        analysis::smoothWithNeighbours(map);
        analysis::capChanges(map, part<QSpinBox>(w, "AnalysisCap")->value());
    }
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(w->shown().maps[0][std::size_t(r)][std::size_t(c)].proposed,
                      expected.maps[0][std::size_t(r)][std::size_t(c)].proposed);
    part<QCheckBox>(w, "AnalysisSmooth")->setChecked(false);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(w->shown().maps[0][std::size_t(r)][std::size_t(c)].proposed,
                      plain.maps[0][std::size_t(r)][std::size_t(c)].proposed);
}

TEST_F(AnalysisWindowTest, WithProgrammingAfterChangeTheUnitGetsTheAppliedSet)
{
    unitHolds(1, 0);
    clickBox("CheckBoxProgHned");
    connectUnit();
    ASSERT_TRUE(tickUntilIdle());
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    const auto cells = proposing(w);
    ASSERT_FALSE(cells.empty());
    part<QPushButton>(w, "AnalysisApply")->click();
    EXPECT_EQ(window->link().transferMode(), TransferMode::Program);
    ASSERT_TRUE(tickUntilIdle());
    for (auto [r, c] : cells)
        EXPECT_EQ(unit.store().image()[byte(0, r, c)], window->image()[byte(0, r, c)]);
}

TEST_F(AnalysisWindowTest, FollowsTheLanguage)
{
    AnalysisWindow *w = openFromMenu(write("lean.csv", leanRide()));
    ASSERT_NE(w, nullptr);
    const struct {
        const char *item;
        const char *title;
        const char *apply;
        const char *viewer;
    } languages[] = {{"MenuCzech", "Rozbor map – lean.csv", "&Použít", "&Rozebrat..."},
                     {"MenuGerman", "Kennfeldanalyse – lean.csv", "Ü&bernehmen", "&Analysieren..."},
                     {"MenuEnglish", "Map analysis – lean.csv", "A&pply", "&Analyse..."}};
    dialogs.logPaths.push_back(config.filePath(QStringLiteral("lean.csv")));
    find<QAction>(QStringLiteral("MenuOpenLog"))->trigger();
    auto *viewer = window->findChild<ui::LogViewer *>(QStringLiteral("LogViewer"));
    ASSERT_NE(viewer, nullptr);
    for (const auto &l : languages) {
        find<QAction>(QString::fromUtf8(l.item))->trigger();
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(l.title));
        EXPECT_EQ(part<QPushButton>(w, "AnalysisApply")->text(), QString::fromUtf8(l.apply));
        EXPECT_EQ(part<QPushButton>(viewer, "LogViewerAnalyse")->text(),
                  QString::fromUtf8(l.viewer));
    }
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuAnalysis"))->text(),
              QStringLiteral("&Map analysis..."));
}

} // namespace
