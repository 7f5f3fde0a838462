// "Open log...": a ride log in a viewer window of its own, its plot, cursor, zoom and pan, and
// the lambda by cell of each injection map.
#include "window_fixture.h"

#include "model/cells.h"
#include "ui/log_viewer.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChartView>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QValueAxis>

#include <fstream>

using namespace velmora;
using velmora::ui::LogViewer;

namespace {

constexpr int kRpm = 0, kThrottle = 1, kLambda = 3, kAdvance = 6, kSupply = 9;

// A log of five monitor rows a second apart and one tuning write, in an order of columns of its
// own and without several of the channels: rpm 1000..5000, lambda 800, 600, error, 400, 200.
const char kHandMade[] =
    "time [ISO 8601],lambda [mV],rpm [rpm],throttle [%],advance [°],load [source],"
    "TP14 row [index],TP14 column [index],TP23 row [index],TP23 column [index],"
    "IAP row [index],IAP column [index],event [text]\n"
    "2026-05-01T10:00:00,800,1000,10,12,throttle,0,0,0,0,1,2,\n"
    "2026-05-01T10:00:01,600,2000,20,14,throttle,3,5,3,5,1,2,\n"
    "2026-05-01T10:00:02,error,3000,30,16,throttle,3,5,3,5,1,2,\n"
    "2026-05-01T10:00:02.5,,,,,,,,,,,,tuning write: TP14 row 3 column 5 from 120 to 122\n"
    "2026-05-01T10:00:03,400,4000,40,18,intake,3,5,3,5,1,2,\n"
    "2026-05-01T10:00:04,200,5000,50,20,intake,4,6,4,6,1,2,\n";

class LogViewerTest : public velmora::test::WindowTest {
protected:
    void SetUp() override
    {
        open();
        find<QAction>(QStringLiteral("MenuEnglish"))->trigger();
        dialogs.messages.clear();
    }
    QString write(const char *name, const std::string &text) const
    {
        const QString path = config.filePath(QString::fromUtf8(name));
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }
    // "Open log..." with the dialog answering `path`.
    void openLog(const QString &path)
    {
        dialogs.logPaths.push_back(path);
        find<QAction>(QStringLiteral("MenuOpenLog"))->trigger();
    }
    QList<LogViewer *> viewers() const
    {
        return window->findChildren<LogViewer *>(QStringLiteral("LogViewer"));
    }
    LogViewer *openHandMade()
    {
        openLog(write("ride.csv", kHandMade));
        const auto open = viewers();
        EXPECT_EQ(open.size(), 1);
        return open.isEmpty() ? nullptr : open.front();
    }
    template <typename T> static T *part(const LogViewer *viewer, const char *name)
    {
        T *w = viewer->findChild<T *>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static const QValueAxis *valueAxis(const QLineSeries *series)
    {
        for (QAbstractAxis *axis : const_cast<QLineSeries *>(series)->attachedAxes())
            if (auto *values = qobject_cast<QValueAxis *>(axis);
                values && !qobject_cast<QCategoryAxis *>(axis))
                return values;
        return nullptr;
    }
    static const QCategoryAxis *timeAxis(const LogViewer *viewer)
    {
        const auto *view = part<QChartView>(viewer, "LogChart");
        const auto axes = view->chart()->axes(Qt::Horizontal);
        return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis *>(axes.front());
    }
    // The value the cursor panel shows for a column named as in the file.
    static QString cursorValue(const LogViewer *viewer, const char *column)
    {
        const int c = viewer->rideLog().column(column);
        auto *table = part<QTableWidget>(viewer, "LogCursorValues");
        return c >= 0 && table->item(c, 1) ? table->item(c, 1)->text() : QStringLiteral("?");
    }
    static QString cell(const QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(LogViewerTest, OpensALogWithTheChosenChannelsOnTheirOwnScales)
{
    LogViewer *viewer = openHandMade();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(dialogs.logStarts, QStringList{QString::fromStdString(options().logFolder.string())});
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_TRUE(viewer->windowTitle().contains(QStringLiteral("ride.csv")));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Speed, throttle and lambda from the start; lambda's "error" row leaves a gap.
    const QLineSeries *rpm = viewer->series(kRpm);
    ASSERT_NE(rpm, nullptr);
    ASSERT_EQ(rpm->count(), 5);
    EXPECT_EQ(rpm->at(0), QPointF(0, 1000));
    EXPECT_EQ(rpm->at(4), QPointF(4, 5000));
    EXPECT_EQ(viewer->series(kThrottle)->count(), 5);
    EXPECT_EQ(viewer->series(kLambda)->count(), 4);
    const QValueAxis *rpmAxis = valueAxis(rpm);
    ASSERT_NE(rpmAxis, nullptr);
    EXPECT_LE(rpmAxis->min(), 1000);
    EXPECT_GT(rpmAxis->min(), 700);
    EXPECT_GE(rpmAxis->max(), 5000);
    EXPECT_LT(rpmAxis->max(), 5300);
    EXPECT_NE(valueAxis(viewer->series(kLambda)), rpmAxis);
    EXPECT_TRUE(rpm->isVisible());

    // Advance is offered but hidden until its box is ticked; supply is not in this log.
    auto *advance = part<QCheckBox>(viewer, "LogChannelAdvance");
    EXPECT_FALSE(advance->isChecked());
    EXPECT_FALSE(viewer->series(kAdvance)->isVisible());
    advance->setChecked(true);
    EXPECT_TRUE(viewer->series(kAdvance)->isVisible());
    EXPECT_EQ(viewer->series(kAdvance)->count(), 5);
    EXPECT_GE(valueAxis(viewer->series(kAdvance))->max(), 20);
    EXPECT_EQ(viewer->series(kSupply), nullptr);
    EXPECT_FALSE(part<QCheckBox>(viewer, "LogChannelSupply")->isEnabled());
    part<QCheckBox>(viewer, "LogChannelRpm")->setChecked(false);
    EXPECT_FALSE(rpm->isVisible());
    EXPECT_FALSE(rpmAxis->isVisible());

    // The log was whole: no note of skipped rows.
    EXPECT_FALSE(part<QLabel>(viewer, "LogNote")->isVisibleTo(viewer));

    // A second log opens beside the first.
    openLog(write("second.csv", kHandMade));
    EXPECT_EQ(viewers().size(), 2);
}

TEST_F(LogViewerTest, ALogThatCannotBeReadGivesAMessageAndNoWindow)
{
    // The item stands with the ride logs at the end of the Tools menu, just before Graphs.
    const QList<QAction *> tools = find<QMenu>(QStringLiteral("MenuTools"))->actions();
    const qsizetype item = tools.indexOf(find<QAction>(QStringLiteral("MenuOpenLog")));
    ASSERT_GE(item, 1);
    ASSERT_LT(item + 1, tools.size());
    EXPECT_EQ(tools[item + 1]->objectName(), QStringLiteral("MenuGraphs"));
    EXPECT_GT(item, tools.indexOf(find<QAction>(QStringLiteral("MenuBackupFirst"))));

    openLog(config.filePath(QStringLiteral("missing.csv")));
    openLog(write("notalog.csv", "rpm [rpm],lambda [mV]\n1000,800\n"));
    openLog(write("empty.csv", ""));
    EXPECT_TRUE(viewers().isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("missing.csv")));
    EXPECT_TRUE(dialogs.messages[1].contains(QStringLiteral("time [ISO 8601]")));
    EXPECT_TRUE(dialogs.messages[2].contains(QStringLiteral("empty.csv")));
    for (const QString &m : dialogs.messages)
        EXPECT_FALSE(m.contains(QLatin1Char('%'))) << m.toStdString();

    // Cancelling the dialog opens nothing and says nothing.
    find<QAction>(QStringLiteral("MenuOpenLog"))->trigger();
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_EQ(dialogs.messages.size(), 3);

    // A cut-off last row is dropped, and the viewer says so.
    std::string cut = kHandMade;
    cut += "2026-05-01T10:00:05,100,60";
    openLog(write("cut.csv", cut));
    ASSERT_EQ(viewers().size(), 1);
    const LogViewer *viewer = viewers().front();
    EXPECT_EQ(viewer->series(kRpm)->count(), 5);
    const auto *note = part<QLabel>(viewer, "LogNote");
    EXPECT_TRUE(note->isVisibleTo(viewer));
    EXPECT_TRUE(note->text().contains(QLatin1Char('1')));
}

TEST_F(LogViewerTest, TheCursorShowsTheWholeRowAndItsMapCells)
{
    LogViewer *viewer = openHandMade();
    ASSERT_NE(viewer, nullptr);
    auto *values = part<QTableWidget>(viewer, "LogCursorValues");
    EXPECT_EQ(values->rowCount(), int(viewer->rideLog().columns.size()));
    EXPECT_EQ(viewer->cursorRow(), 0);

    viewer->setCursorTime(2.9); // nearest: the fourth monitor row, at 3 s
    EXPECT_EQ(viewer->cursorRow(), 3);
    EXPECT_EQ(cursorValue(viewer, "rpm [rpm]"), QStringLiteral("4000"));
    EXPECT_EQ(cursorValue(viewer, "advance [°]"), QStringLiteral("18")); // not plotted, shown
    EXPECT_EQ(cursorValue(viewer, "load [source]"), QStringLiteral("intake"));
    EXPECT_EQ(cursorValue(viewer, "TP14 column [index]"), QStringLiteral("6")); // from 1
    EXPECT_TRUE(
        part<QLabel>(viewer, "LogCursorHeading")->text().contains(QStringLiteral("0:03.0")));

    // The cells read as the main grid labels them: row caption and speed of the axis.
    const QString rowCaption = find<QLabel>(QString::fromStdString(rowLabels()[3].name))->text();
    const QString speed = edit(cellTable()[cell::kRpmJetTp + 5].edit.c_str())->text();
    const QString cells = part<QLabel>(viewer, "LogCursorCells")->text();
    EXPECT_TRUE(cells.contains(QStringLiteral("TP14: row 4, column 6 (%1, %2)")
                                   .arg(rowCaption.trimmed(), speed.trimmed())))
        << cells.toStdString();
    EXPECT_TRUE(cells.contains(QStringLiteral("IAP: row 2, column 3"))) << cells.toStdString();

    // The arrow keys step the cursor a row at a time, never past either end.
    auto *chart = part<QChartView>(viewer, "LogChart");
    QTest::keyClick(chart, Qt::Key_Right);
    EXPECT_EQ(viewer->cursorRow(), 4);
    EXPECT_EQ(cursorValue(viewer, "lambda [mV]"), QStringLiteral("200"));
    QTest::keyClick(chart, Qt::Key_Right);
    EXPECT_EQ(viewer->cursorRow(), 4);
    QTest::keyClick(chart, Qt::Key_Left);
    QTest::keyClick(chart, Qt::Key_Left);
    EXPECT_EQ(viewer->cursorRow(), 2);
    EXPECT_EQ(cursorValue(viewer, "lambda [mV]"), QStringLiteral("–")); // "error" in the file

    // A click on the plot puts the cursor on the row nearest the time under the mouse.
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    const QRectF area = chart->chart()->plotArea();
    const QPoint at =
        chart->mapFromScene(QPointF(area.left() + area.width() * 0.26, area.center().y()));
    QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(viewer->cursorRow(), 1);
}

TEST_F(LogViewerTest, ZoomAndPanMoveTheTimeAxisAndResetRestoresIt)
{
    // Twenty minutes, a row every 330 ms: more points than pixel columns.
    std::string text = "time [ISO 8601],rpm [rpm],throttle [%],lambda [mV]\n";
    const int rows = 3637;
    for (int i = 0; i < rows; ++i) {
        const int ms = i * 330;
        char line[96];
        std::snprintf(line, sizeof line, "2026-05-01T10:%02d:%02d.%03d,%d,%d,%d\n", ms / 60000,
                      ms / 1000 % 60, ms % 1000, i == 1234 ? 12000 : 3000 + i % 500, i % 100, 500);
        text += line;
    }
    openLog(write("long.csv", text));
    ASSERT_EQ(viewers().size(), 1);
    LogViewer *viewer = viewers().front();
    viewer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    const double end = (rows - 1) * 0.33;
    const ui::plot::TimeSpan whole{0, end};
    EXPECT_EQ(viewer->visibleTime(), whole);
    const QCategoryAxis *time = timeAxis(viewer);
    ASSERT_NE(time, nullptr);
    EXPECT_DOUBLE_EQ(time->min(), 0);
    EXPECT_NEAR(time->max(), end, 1e-6);

    // The whole log draws a reduction to the pixel columns, its peak kept.
    const QLineSeries *rpm = viewer->series(kRpm);
    const int columns = int(part<QChartView>(viewer, "LogChart")->chart()->plotArea().width());
    EXPECT_LE(rpm->count(), 4 * columns + 2);
    EXPECT_LT(rpm->count(), rows);
    double peak = 0;
    for (const QPointF &p : rpm->points())
        peak = std::max(peak, p.y());
    EXPECT_EQ(peak, 12000);

    // Keys zoom about the cursor; every series follows the time axis.
    auto *chart = part<QChartView>(viewer, "LogChart");
    viewer->setCursorTime(600);
    QTest::keyClick(chart, Qt::Key_Plus);
    QTest::keyClick(chart, Qt::Key_Plus);
    QTest::keyClick(chart, Qt::Key_Plus);
    const ui::plot::TimeSpan zoomed = viewer->visibleTime();
    EXPECT_NEAR(zoomed.length(), end / 8, 1e-6);
    EXPECT_LT(zoomed.from, 600);
    EXPECT_GT(zoomed.to, 600);
    EXPECT_NEAR(time->min(), zoomed.from, 1e-6);
    EXPECT_NEAR(time->max(), zoomed.to, 1e-6);
    EXPECT_GE(rpm->at(1).x(), zoomed.from); // only the visible stretch, and one point before it
    EXPECT_LE(rpm->at(rpm->count() - 2).x(), zoomed.to);

    // Pan by keys and by the scroll bar.
    QTest::keyClick(chart, Qt::Key_PageDown);
    EXPECT_NEAR(viewer->visibleTime().from, zoomed.from + zoomed.length() / 2, 1e-6);
    EXPECT_NEAR(time->min(), viewer->visibleTime().from, 1e-6);
    auto *scroll = part<QScrollBar>(viewer, "LogScroll");
    EXPECT_EQ(scroll->value(), int(std::lround(viewer->visibleTime().from * 1000)));
    scroll->setValue(0);
    EXPECT_NEAR(viewer->visibleTime().from, 0, 1e-9);
    EXPECT_NEAR(viewer->visibleTime().length(), zoomed.length(), 1e-6);
    EXPECT_GE(rpm->at(0).x(), 0);
    EXPECT_LE(rpm->at(rpm->count() - 1).x(), zoomed.length() + 1);

    // The rubber band: a drag with Shift over the middle half of the plot.
    const QRectF area = chart->chart()->plotArea();
    const ui::plot::TimeSpan before = viewer->visibleTime();
    const QPoint from =
        chart->mapFromScene(QPointF(area.left() + area.width() / 4, area.center().y()));
    const QPoint to =
        chart->mapFromScene(QPointF(area.left() + area.width() * 3 / 4, area.center().y()));
    QTest::mousePress(chart->viewport(), Qt::LeftButton, Qt::ShiftModifier, from);
    QTest::mouseMove(chart->viewport(), to);
    QTest::mouseRelease(chart->viewport(), Qt::LeftButton, Qt::ShiftModifier, to);
    EXPECT_NEAR(viewer->visibleTime().length(), before.length() / 2, before.length() / 50);
    EXPECT_NEAR(viewer->visibleTime().from, before.from + before.length() / 4,
                before.length() / 50);

    QTest::mouseClick(part<QPushButton>(viewer, "LogReset"), Qt::LeftButton);
    EXPECT_EQ(viewer->visibleTime(), whole);
    EXPECT_DOUBLE_EQ(time->min(), 0);
    EXPECT_NEAR(time->max(), end, 1e-6);
}

TEST_F(LogViewerTest, LambdaByCellShowsCountsAndMeansUnderTheGridsLabels)
{
    LogViewer *viewer = openHandMade();
    ASSERT_NE(viewer, nullptr);
    const auto *tp14 = part<QTableWidget>(viewer, "LogLambdaTP14");
    // (0,0): 800 once; (3,5): 600 and 400, the "error" row not counted; (4,6): 200 once.
    EXPECT_EQ(cell(tp14, 0, 0), QStringLiteral("800\n1"));
    EXPECT_EQ(cell(tp14, 3, 5), QStringLiteral("500\n2"));
    EXPECT_EQ(cell(tp14, 4, 6), QStringLiteral("200\n1"));
    int filled = 0;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            filled += tp14->item(r, c) != nullptr;
    EXPECT_EQ(filled, 3);
    const auto *iap = part<QTableWidget>(viewer, "LogLambdaIAP");
    EXPECT_EQ(cell(iap, 1, 2), QStringLiteral("500\n4"));
    EXPECT_EQ(iap->horizontalHeaderItem(4)->text(),
              edit(cellTable()[cell::kRpmJetIap + 4].edit.c_str())->text());
    EXPECT_EQ(iap->verticalHeaderItem(7)->text(),
              find<QLabel>(QString::fromStdString(rowLabels()[27].name))->text());
}

TEST_F(LogViewerTest, TheViewerFollowsTheLanguage)
{
    LogViewer *viewer = openHandMade();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Ride log – ride.csv"));
    find<QAction>(QStringLiteral("MenuCzech"))->trigger();
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Záznam jízdy – ride.csv"));
    EXPECT_EQ(part<QCheckBox>(viewer, "LogChannelRpm")->text(), QStringLiteral("Otáčky [1/min]"));
    EXPECT_TRUE(part<QLabel>(viewer, "LogCursorCells")
                    ->text()
                    .startsWith(QStringLiteral("TP14: řádek 1, sloupec 1")));
    find<QAction>(QStringLiteral("MenuGerman"))->trigger();
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Fahrtaufzeichnung – ride.csv"));
    EXPECT_EQ(part<QPushButton>(viewer, "LogReset")->text(), QStringLiteral("&Zurücksetzen"));
    // A viewer opened now starts in the window's language.
    openLog(write("later.csv", kHandMade));
    for (const LogViewer *v : viewers())
        EXPECT_TRUE(v->windowTitle().startsWith(QStringLiteral("Fahrtaufzeichnung")))
            << v->windowTitle().toStdString();
}

} // namespace
