// Ride logs from the window, ticked by hand over a line in memory: the Tools items, the rows and
// events, the status field and the failures that stop a log.
#include "window_link_fixture.h"

#include "../log/csv_fields.h"

#include "log/log_format.h"

#include <QMenu>
#include <QStatusBar>

#include <fstream>

using namespace velmora;
using namespace std::chrono_literals;
using velmora::log::test::csvFields;
using velmora::log::test::textLines;

namespace {

class WindowLogTest : public velmora::test::WindowLinkTest {
protected:
    // The window with its logs in the test's folder and a clock the test moves.
    void openLogging(const QStringList &arguments = {QStringLiteral("ENGLISH")})
    {
        ui::WindowOptions o = options(arguments);
        o.logFolder = logFolder();
        o.clock = [this] { return now; };
        window = std::make_unique<ui::TFormHlav>(dialogs, std::move(o));
        window->show();
    }
    std::filesystem::path logFolder() const
    {
        return std::filesystem::path(config.path().toStdString()) / "data" / "logs";
    }
    std::vector<std::filesystem::path> logs() const
    {
        std::vector<std::filesystem::path> found;
        if (std::filesystem::exists(logFolder()))
            for (const auto &entry : std::filesystem::directory_iterator(logFolder()))
                found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        return found;
    }
    static std::vector<std::string> rows(const std::filesystem::path &path)
    {
        return textLines(log::test::fileText(path));
    }
    QAction *logItem() const { return find<QAction>(QStringLiteral("MenuLog")); }
    QLabel *status() const { return find<QLabel>(QStringLiteral("LogStatus")); }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            window->Timer1Timer();
    }

    std::chrono::steady_clock::time_point now{};
};

} // namespace

TEST_F(WindowLogTest, ToolsHoldTheLogItemsAfterOneSeparatorOnAFreeShortcut)
{
    openLogging();
    const QList<QAction *> tools = find<QMenu>(QStringLiteral("MenuTools"))->actions();
    const auto at = tools.indexOf(logItem());
    ASSERT_GE(at, 2);
    EXPECT_EQ(tools[at - 2]->objectName(), "MenuBackupFirst");
    EXPECT_TRUE(tools[at - 1]->isSeparator());
    ASSERT_LT(at + 1, tools.size());
    EXPECT_EQ(tools[at + 1]->objectName(), "MenuLogTo");
    EXPECT_TRUE(logItem()->isCheckable());
    for (QAction *action : window->findChildren<QAction *>()) {
        if (action != logItem()) {
            EXPECT_NE(action->shortcut(), logItem()->shortcut())
                << action->objectName().toStdString();
        }
    }
    EXPECT_EQ(logItem()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
}

// Start log: a row per reply under the window's header, counted with the elapsed time in the
// status field in the language in force, until the item is chosen again.
TEST_F(WindowLogTest, StartLogCountsEveryReplyInTheStatusFieldUntilStopped)
{
    unitHolds(0, 0);
    openLogging();
    connectUnit();
    EXPECT_FALSE(status()->isVisibleTo(window.get()));
    trigger("MenuLog");
    ASSERT_TRUE(window->logging());
    EXPECT_TRUE(logItem()->isChecked());
    EXPECT_EQ(logItem()->text(), "Stop &log");
    EXPECT_TRUE(status()->isVisibleTo(window.get()));
    EXPECT_EQ(status()->text(), "Log 00:00:00, 0 rows");
    ASSERT_EQ(logs().size(), 1u);
    EXPECT_EQ(logs()[0].filename().string().rfind("velmora-", 0), 0u);

    ticks(20); // a monitor request every sixth tick
    now += 12min + 34s;
    ticks(1);
    const QString rowsShown = status()->text().section(QLatin1Char(' '), 2, 2);
    EXPECT_EQ(status()->text(), "Log 00:12:34, " + rowsShown + " rows");
    EXPECT_GE(rowsShown.toInt(), 2);
    now += 2h;
    window->MenuCzechClick();
    EXPECT_EQ(status()->text(), "Záznam 02:12:34, řádků: " + rowsShown);
    EXPECT_EQ(logItem()->text(), "Zas&tavit záznam");
    window->MenuGermanClick();
    EXPECT_EQ(status()->text(), "Protokoll 02:12:34, " + rowsShown + " Zeilen");
    EXPECT_EQ(logItem()->text(), "&Protokoll beenden");
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuLogTo"))->text(), "Protokoll in Da&tei...");

    trigger("MenuLog");
    EXPECT_FALSE(window->logging());
    EXPECT_FALSE(logItem()->isChecked());
    EXPECT_EQ(logItem()->text(), "&Protokoll starten");
    EXPECT_FALSE(status()->isVisibleTo(window.get()));
    // The count is what went into the file, all of it written once the log stopped.
    const auto lines = rows(logs()[0]);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(rowsShown.toInt()) + 1);
    EXPECT_EQ(lines[0] + '\n', log::LogFormat(true).header());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = csvFields(lines[i]);
        ASSERT_EQ(fields.size(), log::LogFormat(true).columnCount()) << lines[i];
        EXPECT_EQ(fields.back(), "") << "no event on a monitor row";
        EXPECT_FALSE(fields[23].empty()) << "the window always writes the programming count";
    }
    ticks(30); // stopped means stopped
    EXPECT_EQ(rows(logs()[0]).size(), lines.size());
}

TEST_F(WindowLogTest, ReadAndProgramEndsAreEventRows)
{
    unitHolds(0, 0);
    openLogging();
    connectUnit();
    trigger("MenuLog");
    window->MenuReadClick();
    ASSERT_TRUE(tickUntilIdle());
    window->MenuProgramClick();
    ASSERT_TRUE(tickUntilIdle());
    trigger("MenuLog");
    std::vector<std::string> events;
    for (const std::string &line : rows(logs()[0])) {
        const auto fields = csvFields(line);
        if (!fields.back().empty() && fields.back() != "event [text]") {
            events.push_back(fields.back());
            EXPECT_EQ(fields[1], "") << "an event row carries no values";
        }
    }
    EXPECT_EQ(events, (std::vector<std::string>{"read: ok", "program: ok"}));
}

TEST_F(WindowLogTest, ALogThatCannotStartSaysSoAndStaysOff)
{
    openLogging();
    // A file where the log folder would be made stops root as well.
    std::filesystem::create_directories(logFolder().parent_path());
    std::ofstream(logFolder()) << "in the way";
    trigger("MenuLog");
    EXPECT_FALSE(window->logging());
    EXPECT_FALSE(logItem()->isChecked());
    const QString message = text("LabelHlaseni");
    EXPECT_TRUE(message.startsWith("The log cannot be started: ")) << message.toStdString();
    EXPECT_TRUE(find<QLabel>(QStringLiteral("LabelHlaseni"))->isVisibleTo(window.get()));

    // No folder at all: only "Log to file..." can start one.
    window.reset();
    ui::WindowOptions noFolder = options({QStringLiteral("CZECH")});
    noFolder.logFolder.clear();
    window = std::make_unique<ui::TFormHlav>(dialogs, std::move(noFolder));
    window->MenuLogClick();
    EXPECT_FALSE(window->logging());
    EXPECT_EQ(text("LabelHlaseni"), "Záznam nelze spustit: není známa složka pro záznamy.");
}

TEST_F(WindowLogTest, LogToFileSwitchesFilesAndClosingTheWindowEndsTheLog)
{
    unitHolds(0, 0);
    openLogging();
    connectUnit();
    const QString first = config.path() + "/first.csv";
    const QString second = config.path() + "/second.csv";
    dialogs.logToPaths = {QString(), first, second};
    trigger("MenuLogTo"); // cancelled
    EXPECT_FALSE(window->logging());
    ASSERT_EQ(dialogs.logToStarts.size(), 1);
    EXPECT_TRUE(dialogs.logToStarts[0].startsWith(QString::fromStdString(logFolder().string())));
    EXPECT_TRUE(dialogs.logToStarts[0].endsWith(".csv"));

    trigger("MenuLogTo");
    ASSERT_TRUE(window->logging());
    ticks(20);
    trigger("MenuLogTo");
    ASSERT_TRUE(window->logging());
    EXPECT_TRUE(logItem()->isChecked());
    // The first log was closed whole before the second began: its rows are all there at once.
    const auto firstRows = rows(first.toStdString());
    EXPECT_GE(firstRows.size(), 3u);
    EXPECT_EQ(firstRows[0] + '\n', log::LogFormat(true).header());
    ticks(20);
    window->close();
    EXPECT_FALSE(window->logging());
    EXPECT_EQ(rows(first.toStdString()), firstRows);
    EXPECT_GE(rows(second.toStdString()).size(), 3u);
    EXPECT_TRUE(logs().empty()); // nothing went to the log folder
}
