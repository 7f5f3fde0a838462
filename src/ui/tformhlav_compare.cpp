// Comparing the window's parameter set with a file, a history entry or the unit.
#include "tformhlav.h"

#include "compare_window.h"
#include "dialogs.h"
#include "texts.h"

#include "files/image_file.h"
#include "files/parameter_diff.h"
#include "files/parameter_file.h"

#include <QLabel>

namespace velmora::ui {

namespace {
// Triples read Czech, English, German.
constexpr Triple kNoHistoryEntry{"Pro tuto jednotku není v historii žádný záznam.",
                                 "The history holds no entry of this unit.",
                                 "Der Verlauf enthält keinen Eintrag dieser Zündbox."};

bool isParameterFileName(const QString &path)
{
    return path.endsWith(QStringLiteral(".ign"));
}
} // namespace

void TFormHlav::MenuCompareClick()
{
    const auto choice = m_dialogs.chooseComparison(this, m_held.language);
    if (!choice)
        return;
    switch (*choice) {
    case CompareWith::File: {
        const QString path = m_dialogs.openFileName(this, rememberedPath());
        if (!path.isEmpty())
            compareWithFile(path);
        return;
    }
    case CompareWith::Unit:
        compareWithUnit();
        return;
    case CompareWith::NewestEntry:
        compareWithNewestEntry();
        return;
    }
}

DeviceImage TFormHlav::settledSet() const
{
    DeviceImage set = m_image;
    HeldSettings held = m_held;
    velmora::consistencyPass(set, held);
    return set;
}

std::optional<DeviceImage> TFormHlav::loadWholeImage(const QString &path)
{
    DeviceImage image;
    const auto numbers = files::loadImageFile(path.toStdString(), image);
    if (!numbers) {
        m_dialogs.inform(this, pick(text::kOpenFileError, m_held.language));
        return std::nullopt;
    }
    if (*numbers < layout::kImageSize) {
        m_dialogs.inform(this, pick(files::text::kShortImageFile, m_held.language));
        return std::nullopt;
    }
    return image;
}

void TFormHlav::compareWithFile(const QString &path)
{
    if (!isParameterFileName(path)) {
        if (const auto image = loadWholeImage(path))
            showComparison(*image, true, path,
                           [this, set = *image, path] { loadParameterSet(set, path); });
        return;
    }
    // The set Open would make of the file: read over the window's set, then the model's
    // constants and the consistency pass.
    DeviceImage other = settledSet();
    bool extended = false;
    const std::optional<bool> accepted =
        files::loadParameterFile(path.toStdString(), other, extended);
    if (!accepted || !*accepted) {
        m_dialogs.inform(
            this, pick(accepted ? text::kFileVersionError : text::kOpenFileError, m_held.language));
        return;
    }
    applyModelConstants(other);
    HeldSettings held = m_held;
    velmora::consistencyPass(other, held);
    showComparison(other, false, path, [this, path] { openParameterFile(path); });
}

void TFormHlav::compareWithHistoryEntry(const files::HistoryEntry &entry)
{
    if (const auto image = loadWholeImage(QString::fromStdString(entry.imageFile.string())))
        showComparison(*image, true, QString::fromStdString(entry.parameterFile.string()),
                       [this, entry] { loadHistoryEntry(entry); });
}

void TFormHlav::compareWithNewestEntry()
{
    // The unit on the line once its identity block has come in this run; before that the one
    // whose identity block the window's image still holds.
    const UnitIdentity &online = m_link->unitIdentity();
    const std::string identity =
        online.version.empty() ? files::identityText(m_image) : files::identityText(online);
    const auto entry =
        m_options.historyFolder.empty() ? std::nullopt : unitHistory().newestOf(identity);
    if (!entry) {
        m_dialogs.inform(this, pick(kNoHistoryEntry, m_held.language));
        return;
    }
    compareWithHistoryEntry(*entry);
}

void TFormHlav::compareWithUnit()
{
    // A compare read still running is replaced; its scratch image lives until the new read has
    // taken the line, and its end is no longer ours.
    m_comparingUnit = false;
    const std::unique_ptr<DeviceImage> previous = std::move(m_unitSet);
    m_unitSet = std::make_unique<DeviceImage>();
    m_link->readInto(*m_unitSet);
    // A read that could not even start has ended already, with its text in the message line.
    m_comparingUnit = m_link->transferMode() != link::TransferMode::Idle;
}

void TFormHlav::compareReadEnded(link::Transaction transaction, link::Outcome outcome)
{
    if (transaction != link::Transaction::ScratchRead || !m_comparingUnit)
        return;
    m_comparingUnit = false;
    if (outcome == link::Outcome::Ok)
        showComparison(*m_unitSet, true, QString(), {});
}

void TFormHlav::showComparison(const DeviceImage &other, bool bytes, const QString &name,
                               std::function<void()> load)
{
    // Only the parameter set: block 0 of the window's image is not the unit's to change.
    const std::optional<files::ByteRange> range =
        bytes ? std::optional(files::ByteRange{layout::kParameterStart, layout::kImageSize})
              : std::nullopt;
    Comparison comparison{files::differences(settledSet(), other, range), name, bool(load)};
    m_loadOther = std::move(load);
    if (!m_compare) {
        m_compare = new CompareWindow(this);
        connect(m_compare, &CompareWindow::loadRequested, this, [this] {
            if (!m_loadOther)
                return;
            const auto load = std::move(m_loadOther);
            m_loadOther = {};
            m_compare->close();
            load();
        });
    }
    m_compare->showComparison(std::move(comparison), m_held.language);
    m_compare->show();
    m_compare->raise();
}

void TFormHlav::loadParameterSet(const DeviceImage &image, const QString &name, const Triple *cause)
{
    for (std::size_t n = layout::kParameterStart; n < layout::kImageSize; ++n)
        m_image[n] = image[n];
    afterChangeStep(cause);
    m_file2->setText(name);
}

} // namespace velmora::ui
