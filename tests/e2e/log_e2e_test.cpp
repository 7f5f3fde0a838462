// Ride logs from the window through the pseudo-terminal: the simulated unit answers, the window's
// own timer ticks and the log sink's thread writes.
#include "../log/csv_fields.h"
#include "../ui/window_fixture.h"

#include "link/frame.h"
#include "sim/pty_unit.h"

#include <QAction>
#include <QTabWidget>

using namespace velmora;
using namespace velmora::layout;
using velmora::log::test::csvFields;
using velmora::log::test::textLines;

namespace {

class LogLoopTest : public velmora::test::WindowTest {
protected:
    // The engine held at 4000 rpm and 20 % throttle: row 4, column 3 of the default TP maps.
    static constexpr std::size_t kCell = 43;

    void start()
    {
        unit = std::make_unique<sim::PtyUnit>(sim::BlockStore{}, sim::FaultPlan{.pace = false});
        sim::OperatingPoint point;
        point.rpm = 4000;
        point.throttlePercent = 20;
        point.loadMode = sim::LoadMode::Throttle;
        unit->setOperatingPoint(point);
        ports[1] = unit->slavePath();
        openShown({QStringLiteral("ENGLISH")});
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        unit.reset();
    }
    void logTo(const QString &path)
    {
        dialogs.logToPaths = {path};
        find<QAction>(QStringLiteral("MenuLogTo"))->trigger();
    }
    bool messageIs(const QString &text, int ms = 5000)
    {
        return QTest::qWaitFor(
            [&] { return find<QLabel>(QStringLiteral("LabelHlaseni"))->text() == text; }, ms);
    }
    QString logPath() const { return config.path() + QStringLiteral("/ride.csv"); }
    std::vector<std::vector<std::string>> logRows() const
    {
        std::vector<std::vector<std::string>> rows;
        for (const std::string &line : textLines(log::test::fileText(logPath().toStdString())))
            rows.push_back(csvFields(line));
        return rows;
    }
    std::size_t monitorRequests() const
    {
        return unit->counters().perCommand[link::kMonitorCommand];
    }

    std::unique_ptr<sim::PtyUnit> unit;
};

} // namespace

TEST_F(LogLoopTest, EveryReplyIsARowWithTheLiveCellAndTheReadIsAnEvent)
{
    start();
    logTo(logPath());
    ASSERT_TRUE(window->logging());
    window->MenuReadClick();
    ASSERT_TRUE(messageIs("Verify OK"));
    const std::size_t before = monitorRequests();
    ASSERT_TRUE(QTest::qWaitFor([&] { return monitorRequests() >= before + 8; }, 10000));
    find<QAction>(QStringLiteral("MenuLog"))->trigger(); // stops, writing what is pending
    ASSERT_FALSE(window->logging());
    const std::size_t requests = monitorRequests();

    const auto rows = logRows();
    ASSERT_GE(rows.size(), 2u);
    const auto &names = rows[0];
    const auto column = [&](std::string_view name) {
        return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) -
                                        names.begin());
    };
    std::vector<std::string> events;
    std::size_t monitorRows = 0, afterRead = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), names.size());
        if (!rows[i].back().empty()) {
            events.push_back(rows[i].back());
            continue;
        }
        ++monitorRows;
        if (events.empty())
            continue; // before the Read brought the unit's axes in
        ++afterRead;
        EXPECT_EQ(rows[i][column("rpm [rpm]")], "4000");
        EXPECT_EQ(rows[i][column("throttle [%]")], "20");
        EXPECT_EQ(rows[i][column("load [source]")], "throttle");
        EXPECT_EQ(rows[i][column("TP14 row [index]")], "4");
        EXPECT_EQ(rows[i][column("TP14 column [index]")], "3");
        EXPECT_EQ(rows[i][column("TP23 column [index]")], "3");
    }
    EXPECT_EQ(events, std::vector<std::string>{"read: ok"});
    // One row per reply: every request but perhaps the last, answered after the stop.
    EXPECT_GE(afterRead, requests - before - 1);
    EXPECT_LE(monitorRows, requests);
    EXPECT_GE(monitorRows + 1, requests);
}

TEST_F(LogLoopTest, ATuningWriteIsAnEventWithItsCellAndBothValues)
{
    start();
    window->MenuReadClick();
    ASSERT_TRUE(messageIs("Verify OK"));
    unit->setRequirement(sim::FuelMap::Tp14, kCell, 106); // lean there
    auto *pages = find<QTabWidget>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(6);
    clickBox("CheckBoxLadeniPovoleno");
    type("EditLadeniCas", QStringLiteral("400"));
    QTest::keyClick(edit("EditLadeniCas"), Qt::Key_Return);
    const std::uint8_t before = at(kJetTp + kCell);
    logTo(logPath());
    pages->setCurrentIndex(link::Link::kTp14Page);
    clickBox("CheckBoxLadeniOn");
    ASSERT_TRUE(QTest::qWaitFor([&] { return at(kJetTp + kCell) > before; }, 15000));
    ASSERT_TRUE(messageIs("Program OK"));
    find<QAction>(QStringLiteral("MenuLog"))->trigger();

    std::vector<std::string> events;
    for (const auto &row : logRows())
        if (row.size() > 1 && !row.back().empty() && row.back() != "event [text]")
            events.push_back(row.back());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], "tuning write: TP14 row 4 column 3 from " + std::to_string(before) +
                             " to " + std::to_string(before + 1));
}

TEST_F(LogLoopTest, AFailedWriteStopsTheLogAndTheWindowGoesOn)
{
    start();
    logTo(QStringLiteral("/dev/full"));
    ASSERT_TRUE(window->logging());
    auto *item = find<QAction>(QStringLiteral("MenuLog"));
    EXPECT_TRUE(item->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->logging(); }, 10000));
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(find<QLabel>(QStringLiteral("LogStatus"))->isVisibleTo(window.get()));
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelHlaseni"))->text(),
              "Log stopped: the disk is full. The rows written so far are kept in /dev/full.");
    // The unit is still polled and its replies shown.
    const std::size_t requests = monitorRequests();
    EXPECT_TRUE(QTest::qWaitFor([&] { return monitorRequests() >= requests + 3; }, 5000));
}
