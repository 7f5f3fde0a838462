#pragma once

#include "files/parameter_diff.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace velmora::ui {

// What the compare window shows: the differences between the window's set (side a) and another
// set (side b), and how that other set is called.
struct Comparison {
    std::vector<files::Difference> differences;
    QString otherName;     // a file's path, a history entry's name, or empty for the unit
    bool loadable = false; // the other set can be loaded into the window
};

// The differences in a window of their own: a list, one row per difference, and for a map or a
// curve a grid of it with each differing point as "a → b". The main grid is never coloured.
// Loading the other set is the main window's business: the button only asks for it.
class CompareWindow : public QDialog {
    Q_OBJECT
public:
    explicit CompareWindow(QWidget *parent = nullptr);

    void showComparison(Comparison comparison, std::uint8_t language);
    void setLanguage(std::uint8_t language);
    const Comparison &comparison() const { return m_comparison; }

signals:
    void loadRequested();

private:
    void fillList();
    void fillTables();
    void showTable(int choice);

    Comparison m_comparison;
    std::uint8_t m_language = 1;
    QLabel *m_heading = nullptr;
    QTableWidget *m_list = nullptr;
    QLabel *m_tableLabel = nullptr;
    QComboBox *m_tables = nullptr;
    QTableWidget *m_grid = nullptr;
    QPushButton *m_load = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace velmora::ui
