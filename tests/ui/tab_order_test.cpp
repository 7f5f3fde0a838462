// The Tab key walks every page as it is read: rows from top to bottom, each from left to right.
#include "window_fixture.h"

#include "model/grid_steps.h"
#include "model/parameter_set.h"

#include <QTabBar>
#include <QTabWidget>

#include <functional>

using namespace velmora;
using velmora::test::WindowTest;

namespace {

QStringList names(const char *pattern, int first, int last, const char *suffix = "")
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QString::fromUtf8(pattern).arg(n) + QString::fromUtf8(suffix);
    return out;
}

// Two columns read row by row: a0 b0 a1 b1 ...
QStringList sideBySide(const QStringList &left, const QStringList &right)
{
    QStringList out;
    for (qsizetype i = 0; i < left.size(); ++i)
        out << left[i] << right[i];
    return out;
}

QStringList objectNames(const QList<QWidget *> &widgets)
{
    QStringList out;
    for (const QWidget *w : widgets)
        out << w->objectName();
    return out;
}

class TabOrderTest : public WindowTest {
protected:
    QTabWidget *pages() const { return find<QTabWidget>(QStringLiteral("PageControl1")); }

    // From the tab bar, Tab until the focus leaves the page on show: the controls it visited.
    QList<QWidget *> walk(int index)
    {
        pages()->setCurrentIndex(index);
        QWidget *page = pages()->widget(index);
        pages()->tabBar()->setFocus(Qt::TabFocusReason);
        QList<QWidget *> visited;
        for (int n = 0; n < 1000; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            if (!page->isAncestorOf(focus)) {
                leftTo = focus;
                break;
            }
            visited << focus;
        }
        return visited;
    }

    // Every control of the page that the keyboard can reach is visited once.
    void expectComplete(int index, const QList<QWidget *> &visited) const
    {
        QStringList reachable;
        for (QWidget *w : pages()->widget(index)->findChildren<QWidget *>())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                reachable << w->objectName();
        QStringList seen = objectNames(visited);
        reachable.sort();
        seen.sort();
        EXPECT_EQ(seen, reachable);
    }

    // The cells of one table are visited one after another, each right of the one before on
    // the same row or on a lower row.
    void expectTableReadInRows(const QList<QWidget *> &visited, const QStringList &table) const
    {
        const QStringList seen = objectNames(visited);
        const qsizetype first = seen.indexOf(table.front());
        ASSERT_GE(first, 0) << table.front().toStdString();
        QWidget *page = pages()->currentWidget();
        for (qsizetype k = 1; k < table.size(); ++k) {
            ASSERT_LT(first + k, seen.size());
            QWidget *a = visited[first + k - 1];
            QWidget *b = visited[first + k];
            ASSERT_TRUE(table.contains(b->objectName()))
                << "left the table for " << b->objectName().toStdString();
            const QRect ra(a->mapTo(page, QPoint()), a->size());
            const QRect rb(b->mapTo(page, QPoint()), b->size());
            const bool sameRow = std::abs(ra.center().y() - rb.center().y()) < ra.height() / 2;
            EXPECT_TRUE(sameRow ? rb.left() > ra.right() : rb.top() > ra.bottom())
                << a->objectName().toStdString() << " -> " << b->objectName().toStdString();
        }
    }

    QWidget *leftTo = nullptr;
};

} // namespace

TEST_F(TabOrderTest, Tp14PageReadsTheSpeedAxisThenTheMapRowByRow)
{
    openShown();
    const QList<QWidget *> visited = walk(1);
    const QStringList expected =
        names("EditRpmTps%1", 1, 10) + names("Edit%1", 50, 149) +
        QStringList{"BitBtnJetTpsMinus", "BitBtnJetTpsPlus", "CheckBoxJetTpsAll"};
    EXPECT_EQ(objectNames(visited), expected);
    expectComplete(1, visited);
    expectTableReadInRows(visited, names("EditRpmTps%1", 1, 10) + names("Edit%1", 50, 149));
    // After the page the chain goes on outside it, and Shift+Tab walks the same way back.
    ASSERT_NE(leftTo, nullptr);
    QTest::keyClick(leftTo, Qt::Key_Backtab);
    for (qsizetype k = visited.size() - 1; k >= 0; --k) {
        ASSERT_EQ(QApplication::focusWidget(), visited[k]) << k;
        QTest::keyClick(visited[k], Qt::Key_Backtab);
    }
    EXPECT_EQ(QApplication::focusWidget(), pages()->tabBar());
}

TEST_F(TabOrderTest, IgnitionPageReadsTheCurvePointByPointThenTheOtherGroups)
{
    openShown();
    const QList<QWidget *> visited = walk(0);
    const QStringList expected =
        sideBySide(names("Edit%1", 1, 10), names("Edit%1", 11, 20)) +
        QStringList{"BitBtnIgnMinus", "BitBtnIgnPlus", "CheckBoxIgnAll",     "EditOmez2",
                    "Edit46",         "ComboBoxBike",  "CheckBoxBlokEnable", "CheckBoxProgHned",
                    "EditRpmPulsu",   "EditRpmKorekce"};
    EXPECT_EQ(objectNames(visited), expected);
    expectComplete(0, visited);
    expectTableReadInRows(visited, sideBySide(names("Edit%1", 1, 10), names("Edit%1", 11, 20)));
}

TEST_F(TabOrderTest, EveryPageIsReadInRows)
{
    openShown();
    // Pages whose cells show only in some states are brought into them first.
    const std::function<void()> uncoupled = [this] {
        window->image()[layout::kTpsMode] = kTpModeNormal;
        window->showStep();
    };
    const std::function<void()> servoModel = [this] {
        window->image()[layout::kBike] = 1;
        window->image()[layout::kPrivEnable] = 1;
        window->showStep();
    };
    const std::function<void()> tuningUnlocked = [this] {
        pages()->setCurrentIndex(6);
        clickBox("CheckBoxLadeniPovoleno");
    };
    const QStringList temperatures =
        QStringList{"EditVoda_10", "EditVoda20", "EditVoda50", "EditVoda80", "EditVoda110"} +
        QStringList{"EditVzduch_10", "EditVzduch20", "EditVzduch50", "EditVzduch80",
                    "EditVzduch110"};
    const struct {
        int page;
        std::function<void()> prepare;
        QStringList table;
        QString first;
        QString last;
    } cases[] = {
        {2, uncoupled, names("EditRpmTps%1", 1, 10, "i") + names("Edit%1", 50, 149, "i"),
         "EditRpmTps1i", "CheckBoxJetTpsAlli"},
        {3, nullptr, names("EditRpmIap%1", 1, 10) + names("Edit%1", 160, 259), "EditRpmIap1",
         "EditIapToTps"},
        {4, nullptr, temperatures, "EditVoda_10", "CheckBoxExtMonitor"},
        {4, nullptr, names("EditSyticCas%1", 1, 4) + names("EditSyticKorekce%1", 0, 3),
         "EditVoda_10", "CheckBoxExtMonitor"},
        {5, servoModel, sideBySide(names("EditRpmPriv%1", 1, 10), names("EditNapPriv%1", 1, 10)),
         "CheckBoxPrivEnable", "EditPrivHyster"},
        {6,
         tuningUnlocked,
         {"EditLadeniLambda", "EditLadeniHyster", "EditLadeniRpm", "EditLadeniTps",
          "EditLadeniCas"},
         "CheckBoxLadeniPovoleno",
         "EditLadeniCas"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        if (c.prepare)
            c.prepare();
        const QList<QWidget *> visited = walk(c.page);
        ASSERT_FALSE(visited.isEmpty());
        EXPECT_EQ(visited.front()->objectName(), c.first);
        EXPECT_EQ(visited.back()->objectName(), c.last);
        expectComplete(c.page, visited);
        expectTableReadInRows(visited, c.table);
    }
}
