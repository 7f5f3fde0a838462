#pragma once

#include "link/port_catalog.h"
#include "link/port_names.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace velmora::ui {

// The device assigned to each of COM1..COM10 in the settings, COM1 first; empty for none.
using PortAssignments = std::array<std::string, link::kLastComPort>;

// What the port setup starts from.
struct PortSetup {
    std::uint8_t language = 1;
    link::PortList ports; // the serial ports present now
    PortAssignments assigned;
    // The device COM<n> stands for under `assigned` (the environment may overrule them).
    std::function<std::string(int n, const PortAssignments &assigned)> deviceOf;
    // The name of a port that stays the same in every USB socket.
    std::function<std::string(const std::string &device)> stablePath;
};

// Lists the machine's serial ports and what each COM number stands for, and lets the user
// assign a port to a COM number or clear an assignment. Nothing is stored here: the caller
// takes assignments() once the dialog is accepted.
class PortSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortSetupDialog(PortSetup setup, QWidget *parent = nullptr);

    const PortAssignments &assignments() const { return m_assigned; }

    // The selected port to the selected COM number, under its stable name.
    void assignSelected();
    // The selected COM number back to the system's name.
    void clearSelected();

private:
    void fillPorts();
    void fillComs();
    void updateButtons();
    int selectedCom() const; // 1..10, 0 for none

    PortSetup m_setup;
    PortAssignments m_assigned;
    QTableWidget *m_ports = nullptr;
    QTableWidget *m_coms = nullptr;
    QPushButton *m_assign = nullptr;
    QPushButton *m_clear = nullptr;
};

} // namespace velmora::ui
