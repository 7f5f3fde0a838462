// The graphs window: it follows the window's parameter set through edits, Reads and undo, marks
// the point the engine runs at from the monitor, and switches language with the main window.
#include "window_link_fixture.h"

#include "ui/graphs_window.h"
#include "ui/map_heat.h"

#include <QAction>
#include <QChartView>
#include <QMenu>
#include <QScatterSeries>
#include <QTabWidget>
#include <QValueAxis>
#include <QXYSeries>

using namespace velmora;
using namespace velmora::layout;
using Page = velmora::ui::GraphsWindow::Page;

namespace {

class GraphsWindowTest : public velmora::test::WindowLinkTest {
protected:
    // Opens the graphs window as the menu does.
    ui::GraphsWindow *graphs()
    {
        trigger("MenuGraphs");
        auto *shown = window->findChild<ui::GraphsWindow *>(QStringLiteral("GraphsWindow"));
        EXPECT_NE(shown, nullptr);
        return shown;
    }
    void enter(const char *cell, int value)
    {
        type(cell, QString::number(value));
        QTest::keyClick(edit(cell), Qt::Key_Return);
    }
    static double yAt(const QXYSeries *series, int point) { return series->at(point).y(); }
};

// TP14 map cell of row r, column c.
std::string tp14Cell(int row, int column)
{
    return "Edit" + std::to_string(50 + 10 * row + column);
}

} // namespace

TEST_F(GraphsWindowTest, OneWindowOfItsOwnShowsTheSetAsItIs)
{
    openShown({QStringLiteral("ENGLISH")});
    const QList<QAction *> tools = find<QMenu>(QStringLiteral("MenuTools"))->actions();
    ASSERT_GE(tools.size(), 2);
    // Graphs, then Map analysis at the very end of the Tools menu.
    EXPECT_EQ(tools[tools.size() - 2]->objectName(), "MenuGraphs");
    EXPECT_EQ(tools.last()->objectName(), "MenuAnalysis");
    window->image()[kAdvance + 3] = 27;
    window->image()[kRpmAdv + 3] = 45;
    window->image()[kNapPriv + 2] = 100;
    window->image()[kJetIap + 57] = 177;
    ui::GraphsWindow *g = graphs();
    EXPECT_TRUE(g->isWindow());
    EXPECT_TRUE(g->isVisible());
    EXPECT_EQ(graphs(), g);
    EXPECT_EQ(window->findChildren<ui::GraphsWindow *>().size(), 1);

    // Real axes: speeds in rpm, advance in degrees, the servo curve in millivolts.
    EXPECT_EQ(g->line(Page::Ignition)->at(3), QPointF(4500, 27));
    EXPECT_EQ(yAt(g->line(Page::Servo), 2), 2000);
    EXPECT_EQ(g->line(Page::Iap, 5)->at(7).x(), window->image()[kRpmJetIap + 7] * 100);
    EXPECT_EQ(yAt(g->line(Page::Iap, 5), 7), 177);
    EXPECT_EQ(g->heat(Page::Iap)->value(5, 7), 177);
    EXPECT_EQ(g->heat(Page::Iap)->largest(), 177);
    for (const Page page : {Page::Ignition, Page::Servo, Page::Tp14, Page::Tp23, Page::Iap})
        EXPECT_EQ(g->livePoint(page)->count(), 0) << "no monitor yet";
    EXPECT_EQ(g->heat(Page::Ignition), nullptr);
}

TEST_F(GraphsWindowTest, FollowsACellEditAndATickRedrawsOnlyAChange)
{
    openShown({QStringLiteral("ENGLISH")});
    find<QTimer>(QStringLiteral("Timer1"))->stop();
    ui::GraphsWindow *g = graphs();
    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    const int before = g->heat(Page::Tp14)->value(2, 3);
    enter(tp14Cell(2, 3).c_str(), before + 40);
    ASSERT_EQ(at(kJetTp + 23), before + 40);
    EXPECT_EQ(g->heat(Page::Tp14)->value(2, 3), before + 40);
    EXPECT_EQ(yAt(g->line(Page::Tp14, 2), 3), before + 40);

    // A tick with nothing changed draws nothing anew; one after a byte changed outside the
    // editing steps (as a tuning write does) draws it.
    const int redraws = g->redrawCount();
    window->Timer1Timer();
    EXPECT_EQ(g->redrawCount(), redraws);
    window->image()[kJetTpi + 99] = 9;
    window->Timer1Timer();
    EXPECT_EQ(g->redrawCount(), redraws + 1);
    EXPECT_EQ(g->heat(Page::Tp23)->value(9, 9), 9);
    EXPECT_EQ(g->heat(Page::Tp23)->smallest(), 9);
    EXPECT_EQ(yAt(g->line(Page::Tp23, 9), 9), 9);

    // A hidden window draws nothing, and catches up when shown again.
    g->hide();
    window->image()[kAdvance] = 33;
    window->Timer1Timer();
    EXPECT_NE(yAt(g->line(Page::Ignition), 0), 33);
    graphs();
    EXPECT_EQ(yAt(g->line(Page::Ignition), 0), 33);
}

TEST_F(GraphsWindowTest, FollowsAReadAndAnUndo)
{
    unitHolds(3, 1);
    DeviceImage stored = unit.store().image();
    stored[kJetIap + 34] = 211;
    stored[kAdvance + 6] = 31;
    unit.store().setImage(stored);
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    ui::GraphsWindow *g = graphs();
    ASSERT_NE(g->heat(Page::Iap)->value(3, 4), 211);

    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    ASSERT_EQ(at(kJetIap + 34), 211);
    EXPECT_EQ(g->heat(Page::Iap)->value(3, 4), 211);
    EXPECT_EQ(yAt(g->line(Page::Iap, 3), 4), 211);
    EXPECT_EQ(yAt(g->line(Page::Ignition), 6), 31);
    EXPECT_EQ(g->line(Page::Ignition)->at(6).x(), stored[kRpmAdv + 6] * 100);

    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    const int read = at(kJetTp);
    enter(tp14Cell(0, 0).c_str(), read + 7);
    ASSERT_EQ(g->heat(Page::Tp14)->value(0, 0), read + 7);
    trigger("MenuUndo");
    ASSERT_EQ(at(kJetTp), read);
    EXPECT_EQ(g->heat(Page::Tp14)->value(0, 0), read);
    EXPECT_EQ(yAt(g->line(Page::Tp14, 0), 0), read);
}

TEST_F(GraphsWindowTest, MarksTheLivePointUntilTheMonitorStops)
{
    // Model 3's speed axes start 1000, 2000, 3000, 4000 rpm; 20 % throttle is the fifth row.
    unitHolds(3, 1);
    sim::LiveState live;
    live.rpm = 4000;
    live.throttlePercent = 20;
    live.loadMode = true; // the load comes from the throttle
    unit.setLive(live);
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    ui::GraphsWindow *g = graphs();
    for (int n = 0; n < 2 * link::Link::kMonitorTicks; ++n)
        window->Timer1Timer();
    ASSERT_EQ(window->link().live().speed, 4000);
    ASSERT_EQ(window->image()[kRpmJetTp + 3], 40);

    EXPECT_EQ(g->heat(Page::Tp14)->liveCell(), QPoint(3, 4));
    EXPECT_EQ(g->heat(Page::Tp23)->liveCell(), QPoint(3, 4));
    EXPECT_EQ(g->heat(Page::Iap)->liveCell(), std::nullopt) << "the load is the throttle's";
    ASSERT_EQ(g->livePoint(Page::Tp14)->count(), 1);
    EXPECT_EQ(g->livePoint(Page::Tp14)->at(0), QPointF(4000, at(kJetTp + 43)));
    EXPECT_EQ(g->livePoint(Page::Iap)->count(), 0);
    ASSERT_EQ(g->livePoint(Page::Ignition)->count(), 1);
    EXPECT_EQ(g->livePoint(Page::Ignition)->at(0).x(), 4000);
    EXPECT_EQ(g->livePoint(Page::Servo)->at(0).x(), 4000);

    // The unit falls silent: No Connection clears every mark.
    port.answer = nullptr;
    auto *noConnection = find<QLabel>(QStringLiteral("LabelSpojeni"));
    for (int n = 0; n <= link::Link::kNoReplyTicks && !noConnection->isVisible(); ++n)
        window->Timer1Timer();
    ASSERT_TRUE(noConnection->isVisible());
    EXPECT_EQ(g->heat(Page::Tp14)->liveCell(), std::nullopt);
    for (const Page page : {Page::Ignition, Page::Servo, Page::Tp14, Page::Tp23, Page::Iap})
        EXPECT_EQ(g->livePoint(page)->count(), 0);
}

TEST_F(GraphsWindowTest, RetitlesWithTheLanguage)
{
    openShown({QStringLiteral("ENGLISH")});
    ui::GraphsWindow *g = graphs();
    auto *view = g->findChild<QChartView *>(QStringLiteral("GraphsIgnitionChart"));
    ASSERT_NE(view, nullptr);
    auto *axis = qobject_cast<QValueAxis *>(view->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(g->windowTitle(), "Graphs");
    EXPECT_EQ(axis->titleText(), "Speed [rpm]");
    trigger("MenuCzech");
    EXPECT_EQ(g->windowTitle(), "Grafy");
    EXPECT_EQ(g->pages()->tabText(0), "Předstih zapalování");
    EXPECT_EQ(axis->titleText(), "Otáčky [rpm]");
    trigger("MenuGerman");
    EXPECT_EQ(g->windowTitle(), "Diagramme");
    EXPECT_EQ(g->pages()->tabText(4), "Kennfeld IAP");
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuGraphs"))->text(), "&Diagramme");
}

TEST(MapHeat, ScaleRunsFromTheSmallestToTheLargestValue)
{
    ui::MapHeat heat;
    ui::MapHeat::Cells cells{};
    for (std::size_t n = 0; n < cells.size(); ++n)
        cells[n] = static_cast<std::uint8_t>(60 + n);
    cells[17] = 20;  // row 1, column 7
    cells[82] = 230; // row 8, column 2
    heat.setCells(cells);
    EXPECT_EQ(heat.smallest(), 20);
    EXPECT_EQ(heat.largest(), 230);
    const QColor low = ui::MapHeat::scaleColour(0), high = ui::MapHeat::scaleColour(1);
    EXPECT_NE(low, high);
    EXPECT_EQ(heat.colourOf(20), low);
    EXPECT_EQ(heat.colourOf(230), high);
    EXPECT_NE(heat.colourOf(125), low);
    EXPECT_NE(heat.colourOf(125), high);

    // What is painted: a cell's corner, clear of its number and the live frame, in its colour.
    heat.resize(500, 400);
    heat.setLiveCell(QPoint(7, 1));
    const QImage picture = heat.grab().toImage();
    const auto corner = [&](int row, int column) {
        const QPointF at = heat.cellRect(row, column).bottomRight() - QPointF(3, 3);
        return picture.pixelColor(at.toPoint());
    };
    EXPECT_EQ(corner(8, 2), high);
    EXPECT_EQ(corner(5, 5), heat.colourOf(115));
    const QRectF live = heat.cellRect(1, 7);
    const QPointF frame = live.topLeft() + QPointF(2, live.height() / 2);
    EXPECT_NE(picture.pixelColor(frame.toPoint()), low) << "the live cell is framed";

    // A flat map is all the middle of the scale.
    heat.setCells(ui::MapHeat::Cells{});
    EXPECT_EQ(heat.colourOf(0), ui::MapHeat::scaleColour(0.5));
}
