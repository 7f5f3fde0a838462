#pragma once

#include "files/unit_history.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace velmora::ui {

// What the unit history dialog starts from.
struct HistoryRequest {
    std::uint8_t language = 1;
    std::vector<files::HistoryEntry> entries; // newest first
    // The unit on the line as the window shows it: the filter starts on it when it has entries,
    // otherwise on every unit.
    std::string identity;
};

enum class HistoryAction { Load, Compare };

// The entry the user picked and what to do with it.
struct HistoryChoice {
    files::HistoryEntry entry;
    HistoryAction action = HistoryAction::Load;
};

// Lists the history's entries, newest first, filtered by the unit they came from. Nothing is
// loaded here: the caller takes choice() once the dialog is accepted.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit HistoryDialog(HistoryRequest request, QWidget *parent = nullptr);

    // The entries the filter lets through, in the order of the list.
    const std::vector<const files::HistoryEntry *> &shown() const { return m_shown; }
    const std::optional<HistoryChoice> &choice() const { return m_choice; }

    // Index 0 shows every unit, index n the n-th identity of the filter's list.
    void setFilter(int index);
    // Takes the selected entry for loading, or for comparing with the window's set, and
    // closes the dialog.
    void loadSelected();
    void compareSelected();

private:
    void applyFilter(int index);
    void fill();
    void updateButtons();
    void takeSelected(HistoryAction action);

    HistoryRequest m_request;
    std::vector<std::string> m_identities; // the filter's items after "every unit"
    std::vector<const files::HistoryEntry *> m_shown;
    std::optional<HistoryChoice> m_choice;
    QComboBox *m_filter = nullptr;
    QTableWidget *m_table = nullptr;
    QPushButton *m_load = nullptr;
    QPushButton *m_compare = nullptr;
};

} // namespace velmora::ui
