#include "port_setup_dialog.h"

#include "form_parts.h"
#include "model/triple.h"
#include "texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace velmora::ui {

namespace {

// Triples read Czech, English, German.
constexpr Triple kCaption{"Nastavení portů", "Port setup", "Port-Einstellungen"};
constexpr Triple kPortsLabel{"Sériové porty počítače:", "Serial ports of this computer:",
                             "Serielle Ports dieses Computers:"};
constexpr Triple kComsLabel{"Čísla portů:", "COM numbers:", "COM-Nummern:"};
constexpr Triple kPortHeads[] = {
    {"Zařízení", "Device", "Gerät"},
    {"Popis", "Description", "Beschreibung"},
    {"Výrobce", "Manufacturer", "Hersteller"},
    {"Sériové číslo", "Serial number", "Seriennummer"},
    {"USB id", "USB id", "USB-ID"},
};
constexpr Triple kComHeads[] = {
    {"Port", "COM", "COM"},
    {"Zařízení", "Device", "Gerät"},
    {"Stav", "State", "Zustand"},
};
constexpr Triple kPresent{"připojen", "present", "vorhanden"};
constexpr Triple kAbsent{"nepřipojen", "absent", "fehlt"};
constexpr Triple kAssign{"&Přiřadit", "&Assign", "&Zuordnen"};
constexpr Triple kAssignHint{"Přiřadit|Přiřadit vybraný port vybranému číslu portu",
                             "Assign|Assign the selected port to the selected COM number",
                             "Zuordnen|Den gewählten Port der gewählten COM-Nummer zuordnen"};
constexpr Triple kClear{"&Zrušit přiřazení", "&Clear", "Zuordnung &löschen"};
constexpr Triple kClearHint{
    "Zrušit přiřazení|Vybrané číslo portu bude opět znamenat port systému",
    "Clear|The selected COM number stands for the system's port again",
    "Zuordnung löschen|Die gewählte COM-Nummer steht wieder für den Port des Systems"};
constexpr Triple kOk{"OK", "OK", "OK"};
constexpr Triple kCancel{"Storno", "Cancel", "Abbrechen"};

void setCell(QTableWidget *t, int row, int column, const std::string &text)
{
    t->setItem(row, column,
               new QTableWidgetItem(QString::fromStdString(text.empty() ? "-" : text)));
}

} // namespace

PortSetupDialog::PortSetupDialog(PortSetup setup, QWidget *parent)
    : QDialog(parent), m_setup(std::move(setup)), m_assigned(m_setup.assigned)
{
    const std::uint8_t language = m_setup.language;
    const auto text = [language](const Triple &t) { return pick(t, language); };
    setObjectName(QStringLiteral("PortSetupDialog"));
    setWindowTitle(text(kCaption));

    m_ports = form::listTable(this, QStringLiteral("TablePorts"), pick(kPortHeads, language));
    m_coms = form::listTable(this, QStringLiteral("TableComs"), pick(kComHeads, language));
    // A stable device name is long; it gets the room, not the one-word state.
    m_coms->horizontalHeader()->setStretchLastSection(false);
    m_coms->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_assign = form::button(this, QStringLiteral("ButtonAssign"), text(kAssign));
    form::setHint(m_assign, text(kAssignHint));
    m_clear = form::button(this, QStringLiteral("ButtonClear"), text(kClear));
    form::setHint(m_clear, text(kClearHint));
    auto *box = form::make<QDialogButtonBox>(this, QStringLiteral("ButtonBox"));
    box->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ButtonOk"));
    box->button(QDialogButtonBox::Ok)->setText(text(kOk));
    box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ButtonCancel"));
    box->button(QDialogButtonBox::Cancel)->setText(text(kCancel));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_assign);
    buttons->addWidget(m_clear);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(form::label(this, QStringLiteral("LabelPorts"), text(kPortsLabel)));
    layout->addWidget(m_ports, 2);
    layout->addWidget(form::label(this, QStringLiteral("LabelComs"), text(kComsLabel)));
    layout->addWidget(m_coms, 3); // all ten numbers in sight
    layout->addLayout(buttons);
    layout->addWidget(box);

    connect(m_assign, &QPushButton::clicked, this, &PortSetupDialog::assignSelected);
    connect(m_clear, &QPushButton::clicked, this, &PortSetupDialog::clearSelected);
    // A double click on a port assigns it to the chosen COM number, as Assign does.
    connect(m_ports, &QTableWidget::cellDoubleClicked, this, &PortSetupDialog::assignSelected);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ports, &QTableWidget::itemSelectionChanged, this, &PortSetupDialog::updateButtons);
    connect(m_coms, &QTableWidget::itemSelectionChanged, this, &PortSetupDialog::updateButtons);

    fillPorts();
    fillComs();
    updateButtons();
    resize(720, 640);
}

void PortSetupDialog::fillPorts()
{
    m_ports->setRowCount(static_cast<int>(m_setup.ports.size()));
    int row = 0;
    for (const link::PortEntry &port : m_setup.ports) {
        const std::string fields[] = {port.device, port.description, port.manufacturer,
                                      port.serialNumber, link::usbId(port)};
        for (int column = 0; column < static_cast<int>(std::size(fields)); ++column)
            setCell(m_ports, row, column, fields[column]);
        ++row;
    }
    m_ports->resizeColumnsToContents();
}

void PortSetupDialog::fillComs()
{
    const std::uint8_t language = m_setup.language;
    m_coms->setRowCount(link::kLastComPort);
    for (int n = link::kFirstComPort; n <= link::kLastComPort; ++n) {
        const std::string device = m_setup.deviceOf ? m_setup.deviceOf(n, m_assigned) : "";
        const bool present = link::devicePresent(device, m_setup.ports);
        setCell(m_coms, n - 1, 0, link::comPortName(n));
        setCell(m_coms, n - 1, 1, device);
        setCell(m_coms, n - 1, 2, (present ? kPresent : kAbsent).pick(language));
    }
    m_coms->resizeColumnsToContents();
}

int PortSetupDialog::selectedCom() const
{
    const QList<QTableWidgetItem *> items = m_coms->selectedItems();
    return items.isEmpty() ? 0 : items.first()->row() + link::kFirstComPort;
}

void PortSetupDialog::updateButtons()
{
    const int com = selectedCom();
    m_assign->setEnabled(com != 0 && !m_ports->selectedItems().isEmpty());
    m_clear->setEnabled(com != 0 && !m_assigned[com - 1].empty());
}

void PortSetupDialog::assignSelected()
{
    const int com = selectedCom();
    const QList<QTableWidgetItem *> items = m_ports->selectedItems();
    if (com == 0 || items.isEmpty())
        return;
    const std::string &device =
        m_setup.ports.at(static_cast<std::size_t>(items.first()->row())).device;
    m_assigned[com - 1] = m_setup.stablePath ? m_setup.stablePath(device) : device;
    fillComs();
    updateButtons();
}

void PortSetupDialog::clearSelected()
{
    const int com = selectedCom();
    if (com == 0)
        return;
    m_assigned[com - 1].clear();
    fillComs();
    updateButtons();
}

} // namespace velmora::ui
