// The chosen port while it cannot be had: the window tries it again every kReopenTicks of its
// own ticks, driven here by hand, without a message box, and takes it up once it is there.
#include "window_fixture.h"

#include "sim/pty_unit.h"

#include <QAction>
#include <QTimer>

#include <chrono>

using namespace velmora;

namespace {

const QStringList kOpeningError{QStringLiteral("Com opening error")};

// The first line of each box; the second says why, in the user's language.
QStringList firstLines(const QStringList &messages)
{
    QStringList lines;
    for (const QString &message : messages)
        lines << message.section(QLatin1Char('\n'), 0, 0);
    return lines;
}

class WindowPortTest : public velmora::test::WindowTest {
protected:
    void TearDown() override
    {
        WindowTest::TearDown();
        unit.reset();
    }
    // The window with its timer still: every tick is one the test drives.
    void openStill()
    {
        open({QStringLiteral("ENGLISH")});
        find<QTimer>(QStringLiteral("Timer1"))->stop();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            window->Timer1Timer();
    }
    // A unit appears behind COM`n`.
    void plugIn(int n)
    {
        unit = std::make_unique<sim::PtyUnit>();
        ports[n] = unit->slavePath();
    }
    void trigger(const char *action) { find<QAction>(QString::fromUtf8(action))->trigger(); }

    std::unique_ptr<sim::PtyUnit> unit;
};

} // namespace

TEST_F(WindowPortTest, MissingPortIsTriedAgainEveryEighteenTicksWithoutABox)
{
    openStill();
    ASSERT_EQ(firstLines(dialogs.messages), kOpeningError) << "the start-up still says so once";
    ASSERT_FALSE(window->portOpen());
    EXPECT_TRUE(window->reopening());

    // Tries that fail say nothing.
    ticks(5 * ui::TFormHlav::kReopenTicks);
    EXPECT_EQ(firstLines(dialogs.messages), kOpeningError);
    EXPECT_FALSE(window->portOpen());

    // The device turns up; the next try, a whole period after the last, takes it.
    plugIn(1);
    ticks(ui::TFormHlav::kReopenTicks - 1);
    EXPECT_FALSE(window->portOpen());
    ticks(1);
    ASSERT_TRUE(window->portOpen());
    EXPECT_FALSE(window->reopening());
    EXPECT_NE(window->link().port(), nullptr);

    // Idle polling goes out on it with no action from the user, and the unit answers it.
    ticks(link::Link::kMonitorTicks);
    EXPECT_TRUE(unit->waitForRequests(1, std::chrono::seconds(2)));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->link().port()->bytesWaiting() >= link::kFrameSize; }, 2000));
    ticks(1);
    EXPECT_LT(window->link().noReplyTicks(), link::Link::kNoReplyTicks) << "no reply taken";
    EXPECT_EQ(firstLines(dialogs.messages), kOpeningError);
}

TEST_F(WindowPortTest, ChoosingAMissingPortShowsTheBoxOnceThenTriesSilently)
{
    plugIn(1);
    openStill();
    ASSERT_TRUE(window->portOpen());
    ASSERT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(window->reopening());

    trigger("MenuCom2");
    EXPECT_EQ(firstLines(dialogs.messages), kOpeningError);
    EXPECT_FALSE(window->portOpen());
    EXPECT_TRUE(window->reopening());
    ticks(4 * ui::TFormHlav::kReopenTicks);
    EXPECT_EQ(firstLines(dialogs.messages), kOpeningError);

    // Back to a port that opens: the tries stop.
    trigger("MenuCom1");
    EXPECT_TRUE(window->portOpen());
    EXPECT_FALSE(window->reopening());
    EXPECT_EQ(firstLines(dialogs.messages), kOpeningError);

    // No port at all: nothing to open, nothing to try again.
    window->held().comPort = 0;
    window->CloseComPort();
    window->OpenComPort();
    ticks(2 * ui::TFormHlav::kReopenTicks);
    EXPECT_FALSE(window->portOpen());
    EXPECT_FALSE(window->reopening());
    EXPECT_EQ(firstLines(dialogs.messages), kOpeningError);
}
