// The unit history in the window: what the user's Reads and Programs leave behind, the backup
// before programming, and loading an entry back.
#include "tformhlav.h"

#include "dialogs.h"
#include "files/image_file.h"
#include "texts.h"

#include <QAction>
#include <QLabel>

#include <algorithm>
#include <chrono>

namespace velmora::ui {

namespace {

// The transaction whose success an entry of `kind` stands for.
link::Transaction transactionOf(files::HistoryKind kind)
{
    switch (kind) {
    case files::HistoryKind::Read:
        return link::Transaction::Read;
    case files::HistoryKind::Program:
        return link::Transaction::Program;
    case files::HistoryKind::Backup:
        return link::Transaction::ScratchRead;
    }
    return link::Transaction::Read;
}

} // namespace

void TFormHlav::startRecorded(files::HistoryKind kind, const std::function<void()> &start)
{
    // Whatever the new transaction cancels reports its end inside start(); the mark is set after
    // it, and only when the transaction did not end at once.
    m_recordAs.reset();
    start();
    if (m_link->transferMode() != link::TransferMode::Idle)
        m_recordAs = kind;
}

std::optional<std::string> TFormHlav::record(files::HistoryKind kind,
                                             const DeviceImage &image) const
{
    std::string error;
    if (unitHistory().record(kind, image, std::chrono::system_clock::now(), &error))
        return std::nullopt;
    return error.empty() ? m_options.historyFolder.string() : error;
}

void TFormHlav::transactionEnded(link::Transaction transaction, link::Outcome outcome)
{
    if (const auto event = log::transactionEvent(transaction, outcome))
        logRow(m_logFormat.eventRow(std::chrono::system_clock::now(), *event));
    compareReadEnded(transaction, outcome);
    // A tuning write may report its late echo while the user's transaction runs: only the end of
    // the transaction that was marked takes the mark away. Programming after change cancels a
    // Program of the user's before it starts its own, so its success is never taken for it.
    if (!m_recordAs || transactionOf(*m_recordAs) != transaction)
        return;
    const files::HistoryKind kind = *std::exchange(m_recordAs, std::nullopt);
    if (outcome != link::Outcome::Ok)
        return; // the link has said why, in the Read's or the Program's own words

    if (kind == files::HistoryKind::Backup) {
        // Asked for explicitly, so it is kept whether or not the history is.
        if (const auto failed = record(kind, m_backup)) {
            setMessage(std::string(files::text::kBackupNotWritten.pick(m_held.language)) + ' ' +
                           *failed,
                       true, true);
            m_link->holdMessageLine();
            return;
        }
        m_programAfterBackup = true;
        return;
    }
    if (!m_keepHistory->isChecked() || m_options.historyFolder.empty())
        return;
    if (const auto failed = record(kind, m_image)) {
        // The transaction's own result stands; one more line says what is missing.
        m_messageNote = pick(files::text::kHistoryNotWritten, m_held.language) + QLatin1Char(' ') +
                        QString::fromStdString(*failed);
        m_hlaseni->setText(m_hlaseni->text() + QLatin1Char('\n') + m_messageNote);
    }
}

void TFormHlav::MenuUnitHistoryClick()
{
    HistoryRequest request;
    request.language = m_held.language;
    if (!m_options.historyFolder.empty())
        request.entries = unitHistory().entries();
    request.identity = files::identityText(m_link->unitIdentity());
    const std::optional<HistoryChoice> choice = m_dialogs.chooseFromHistory(this, request);
    if (!choice)
        return;
    if (choice->action == HistoryAction::Compare)
        compareWithHistoryEntry(choice->entry);
    else
        loadHistoryEntry(choice->entry);
}

bool TFormHlav::loadHistoryEntry(const files::HistoryEntry &entry)
{
    DeviceImage stored;
    if (files::loadImageFile(entry.imageFile, stored) != layout::kImageSize) {
        m_dialogs.inform(this, pick(text::kOpenFileError, m_held.language));
        return false;
    }
    // The reserved bytes and the model constants come back as they were; block 0 stays the
    // identity of the unit on the line.
    loadParameterSet(stored, QString::fromStdString(entry.parameterFile.string()),
                     &text::kStepHistory);
    return true;
}

} // namespace velmora::ui
