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

// Two columns side by side, read row by row.
QStringList rowsOf(const QStringList &left, const QStringList &right)
{
    QStringList out;
    for (qsizetype i = 0; i < left.size(); ++i)
        out << left[i] << right[i];
    return out;
}

} // namespace

TEST_F(WindowTest, TabWalksEveryPageInRows)
{
    openShown();
    auto *pages = find<QTabWidget>(QStringLiteral("PageControl1"));
    // Pages whose cells show only in some states are brought into them first.
    const std::function<void()> uncoupled = [this] {
        window->image()[layout::kTpsMode] = kTpModeNormal;
        window->showStep();
    };
    const std::function<void()> servoModel = [this] {
        window->image()[layout::kBike] = 1;
        window->showStep();
    };
    const std::function<void()> tuningUnlocked = [this, pages] {
        pages->setCurrentIndex(6);
        clickBox("CheckBoxLadeniPovoleno");
    };
    // Per page: the first and last control Tab reaches, and a table whose cells it must visit
    // one after another in reading order.
    const struct {
        int page;
        std::function<void()> prepare;
        QString first, last;
        QStringList table;
    } cases[] = {
        {0, nullptr, "Edit1", "EditRpmKorekce",
         rowsOf(names("Edit%1", 1, 10), names("Edit%1", 11, 20))},
        {1, nullptr, "EditRpmTps1", "CheckBoxJetTpsAll",
         names("EditRpmTps%1", 1, 10) + names("Edit%1", 50, 149)},
        {2, uncoupled, "EditRpmTps1i", "CheckBoxJetTpsAlli",
         names("EditRpmTps%1", 1, 10, "i") + names("Edit%1", 50, 149, "i")},
        {3, nullptr, "EditRpmIap1", "EditIapToTps",
         names("EditRpmIap%1", 1, 10) + names("Edit%1", 160, 259)},
        {4,
         nullptr,
         "EditVoda_10",
         "CheckBoxExtMonitor",
         {"EditVoda_10", "EditVoda20", "EditVoda50", "EditVoda80", "EditVoda110", "EditVzduch_10",
          "EditVzduch20", "EditVzduch50", "EditVzduch80", "EditVzduch110"}},
        {4, nullptr, "EditVoda_10", "CheckBoxExtMonitor",
         names("EditSyticCas%1", 1, 4) + names("EditSyticKorekce%1", 0, 3)},
        {5, servoModel, "CheckBoxPrivEnable", "EditPrivHyster",
         rowsOf(names("EditRpmPriv%1", 1, 10), names("EditNapPriv%1", 1, 10))},
        {6,
         tuningUnlocked,
         "CheckBoxLadeniPovoleno",
         "EditLadeniCas",
         {"EditLadeniLambda", "EditLadeniHyster", "EditLadeniRpm", "EditLadeniTps",
          "EditLadeniCas"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        if (c.prepare)
            c.prepare();
        pages->setCurrentIndex(c.page);
        QWidget *page = pages->widget(c.page);
        pages->tabBar()->setFocus(Qt::TabFocusReason);
        QList<QWidget *> visited;
        QStringList seen;
        for (int n = 0; n < 500; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            if (!page->isAncestorOf(focus))
                break;
            visited << focus;
            seen << focus->objectName();
        }
        ASSERT_FALSE(seen.isEmpty());
        EXPECT_EQ(seen.front(), c.first);
        EXPECT_EQ(seen.back(), c.last);

        // Every control of the page the keyboard can reach, once.
        QStringList reachable;
        for (QWidget *w : page->findChildren<QWidget *>())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                reachable << w->objectName();
        QStringList sorted = seen;
        sorted.sort();
        reachable.sort();
        EXPECT_EQ(sorted, reachable);

        // The table's cells in a row, each right of the one before or on a lower row.
        const qsizetype first = seen.indexOf(c.table.front());
        ASSERT_GE(first, 0);
        ASSERT_LE(first + c.table.size(), seen.size());
        EXPECT_EQ(seen.mid(first, c.table.size()), c.table);
        for (qsizetype k = first + 1; k < first + c.table.size(); ++k) {
            const QRect a(visited[k - 1]->mapTo(page, QPoint()), visited[k - 1]->size());
            const QRect b(visited[k]->mapTo(page, QPoint()), visited[k]->size());
            const bool sameRow = std::abs(a.center().y() - b.center().y()) < a.height() / 2;
            EXPECT_TRUE(sameRow ? b.left() > a.right() : b.top() > a.bottom())
                << seen[k].toStdString();
        }
    }
}
