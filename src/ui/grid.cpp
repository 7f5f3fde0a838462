#include "grid.h"

#include "controls.h"
#include "up_down.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

#include <stdexcept>

namespace velmora::ui {

Grid::Grid(QWidget *owner)
{
    const auto &cells = cellTable();
    m_edits.reserve(cells.size());
    m_upDowns.reserve(cells.size());
    m_boxes.reserve(cells.size());
    const QFontMetrics metrics(owner->font());

    for (const CellDef &c : cells) {
        auto *box = new QWidget(owner);
        auto *edit = new CellEdit(box);
        edit->setObjectName(QString::fromStdString(c.edit));
        auto *upDown = new UpDown(edit, c.min, c.max, c.step, c.grouped, box);
        upDown->setObjectName(QString::fromStdString(c.upDown));

        const QString widest = formatCellValue(c.max, c.grouped);
        edit->setFixedWidth(metrics.horizontalAdvance(widest) + 12);
        edit->setAlignment(Qt::AlignRight);

        auto *layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(edit);
        layout->addWidget(upDown);
        box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

        m_edits.push_back(edit);
        m_upDowns.push_back(upDown);
        m_boxes.push_back(box);
    }
    for (std::size_t i = 0; i < kRowLabelCount; ++i) {
        const RowLabel &row = rowLabels()[i];
        m_rowLabels[i] = new QLabel(QString::fromStdString(row.caption), owner);
        m_rowLabels[i]->setObjectName(QString::fromStdString(row.name));
        m_rowLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void Grid::buildTables(QWidget *root)
{
    QHash<QString, QWidget *> byName;
    for (QWidget *w : root->findChildren<QWidget *>())
        if (!w->objectName().isEmpty())
            byName.insert(w->objectName(), w);

    auto lookUp = [&byName](const std::string &name) {
        QWidget *w = byName.value(QString::fromStdString(name));
        if (!w)
            throw std::runtime_error("missing control " + name);
        return w;
    };
    const std::vector<std::string> names = editTableNames();
    for (std::size_t i = 0; i < kEditTableSize; ++i)
        m_editTable[i] = lookUp(names[i]);
    for (std::size_t i = 0; i < kUpDownTableSize; ++i) {
        m_upDownTable[i] = qobject_cast<UpDown *>(lookUp(cellTable()[i].upDown));
        if (!m_upDownTable[i])
            throw std::runtime_error("not an up-down control: " + cellTable()[i].upDown);
    }
}

void Grid::readPositions(GridValues &values) const
{
    for (std::size_t i = 0; i < m_upDowns.size(); ++i)
        values.position[i] = m_upDowns[i]->position();
}

void Grid::writePositions(const GridValues &values)
{
    for (std::size_t i = 0; i < m_upDowns.size(); ++i)
        m_upDowns[i]->setPosition(values.position[i]);
}

} // namespace velmora::ui
