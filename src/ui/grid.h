#pragma once

#include "model/grid_steps.h"

#include <QHash>
#include <QString>

#include <array>
#include <vector>

class QLabel;
class QWidget;

namespace velmora::ui {

class CellEdit;
class UpDown;

// The 406 cells of the editor grid, built from the cell table, and the two index tables through
// which curves and maps are addressed.
class Grid {
public:
    // Creates every cell and map row label as a child of `owner`; the pages place them.
    explicit Grid(QWidget *owner);

    CellEdit *edit(std::size_t cell) const { return m_edits[cell]; }
    UpDown *upDown(std::size_t cell) const { return m_upDowns[cell]; }
    // The text box and its up-down control side by side, ready for a layout.
    QWidget *box(std::size_t cell) const { return m_boxes[cell]; }
    QLabel *rowLabel(std::size_t i) const { return m_rowLabels[i]; }

    // Fills the edit pointer table and the up-down pointer table by the controls' names, which
    // must all exist among the children of `root`.
    void buildTables(QWidget *root);
    const std::array<QWidget *, kEditTableSize> &editTable() const { return m_editTable; }
    const std::array<UpDown *, kUpDownTableSize> &upDownTable() const { return m_upDownTable; }

    // Cell positions as the controls state them now, and back.
    void readPositions(GridValues &values) const;
    void writePositions(const GridValues &values);

private:
    std::vector<CellEdit *> m_edits;
    std::vector<UpDown *> m_upDowns;
    std::vector<QWidget *> m_boxes;
    std::array<QLabel *, kRowLabelCount> m_rowLabels{};
    std::array<QWidget *, kEditTableSize> m_editTable{};
    std::array<UpDown *, kUpDownTableSize> m_upDownTable{};
};

} // namespace velmora::ui
