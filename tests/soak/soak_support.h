#pragma once

#include "link/frame.h"
#include "link/headless_view.h"
#include "link/link.h"
#include "link/qt_serial_port.h"
#include "model/parameter_set.h"
#include "sim/fault_injector.h"
#include "sim/pty_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace velmora::soak {

inline constexpr std::uint8_t kEnglish = 1;
inline constexpr std::size_t kFirstParameterBlock = 1;
inline constexpr std::size_t kLastBlock = layout::kBlockCount - 1;

// Altered replies change one of the first few data bytes of a block, and the soak never edits
// those: a reply altered in exactly the way the PC's image differs from the unit would pass any
// comparison, and no protocol can tell such a lie from the truth.
inline constexpr std::size_t kAlterIndices = 10;

// Resident set size from /proc/self/status in kB; 0 where the system does not tell.
inline long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

inline bool sameBlock(const DeviceImage &a, const DeviceImage &b, std::size_t k)
{
    return std::ranges::equal(a.block(k), b.block(k));
}

// The parameter blocks in which two images differ, as "2 5", or "none".
inline std::string differingBlocks(const DeviceImage &a, const DeviceImage &b)
{
    std::string out;
    for (std::size_t k = kFirstParameterBlock; k <= kLastBlock; ++k) {
        if (!sameBlock(a, b, k))
            out += (out.empty() ? "" : " ") + std::to_string(k);
    }
    return out.empty() ? "none" : out;
}

inline bool sameParameters(const DeviceImage &a, const DeviceImage &b)
{
    return differingBlocks(a, b) == "none";
}

// Bytes an edit may change without the consistency pass undoing it: the reserved bytes the
// configurator carries as they are, and the injection map cells up to their cap of 250. The
// first kAlterIndices bytes of every block are left out.
struct EditablePosition {
    std::size_t offset;
    std::uint8_t max;
};

inline std::vector<EditablePosition> editablePositions()
{
    std::vector<EditablePosition> out;
    auto keep = [&](std::size_t offset, std::uint8_t max) {
        if (offset % layout::kBlockSize >= kAlterIndices)
            out.push_back({offset, max});
    };
    for (const layout::Range &range : layout::kReserved) {
        for (std::size_t i = 0; i < range.count; ++i)
            keep(range.first + i, 255);
    }
    for (std::size_t map : {layout::kJetTp, layout::kJetTpi, layout::kJetIap}) {
        for (std::size_t i = 0; i < layout::kMapCells; ++i)
            keep(map + i, 250);
    }
    return out;
}

template <typename Rng> void editParameters(DeviceImage &image, Rng &rng)
{
    static const std::vector<EditablePosition> positions = editablePositions();
    std::uniform_int_distribution<std::size_t> where(0, positions.size() - 1);
    const int edits = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int i = 0; i < edits; ++i) {
        const EditablePosition &p = positions[where(rng)];
        image[p.offset] =
            static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, p.max)(rng));
    }
}

// The Qt adapter with a count of the frames that left for the unit, so that the soak knows how
// many requests the unit has to take before its answer is worth looking for.
class CountingPort : public link::SerialPort {
public:
    link::QtSerialPort &qt() { return m_port; }
    std::size_t framesSent() const { return m_sent; }

    std::size_t bytesWaiting() override { return m_port.bytesWaiting(); }
    std::size_t read(std::span<std::uint8_t> out) override { return m_port.read(out); }
    bool writeFrame(const link::Frame &frame) override
    {
        const bool sent = m_port.writeFrame(frame);
        m_sent += sent ? 1 : 0;
        return sent;
    }
    bool lost() const override { return m_port.lost(); }

private:
    link::QtSerialPort m_port;
    std::size_t m_sent = 0;
};

// The headless view, keeping every end the link reports, which the soak holds against the unit.
class SoakView : public link::HeadlessView {
public:
    explicit SoakView(DeviceImage &image) : HeadlessView(image, kEnglish) {}

    void transactionEnded(link::Transaction transaction, link::Outcome outcome) override
    {
        HeadlessView::transactionEnded(transaction, outcome);
        if (transaction == link::Transaction::TuningWrite)
            m_tuningOk += outcome == link::Outcome::Ok ? 1 : 0;
        else
            m_endings.push_back({transaction, outcome});
    }
    void messageBox(const std::string &text) override
    {
        HeadlessView::messageBox(text);
        ++m_boxes;
    }

    // Ends of Reads, Verifies and Programs, in order.
    const std::vector<Ended> &endings() const { return m_endings; }
    // Acknowledgements of a tuning write while no tuning runs: a late block reply that matched.
    int tuningOkCount() const { return m_tuningOk; }
    int boxCount() const { return m_boxes; }

private:
    std::vector<Ended> m_endings;
    int m_tuningOk = 0;
    int m_boxes = 0;
};

enum class Kind { Read, Verify, Program };
inline constexpr std::array<const char *, 3> kKindNames{"Read", "Verify", "Program"};
inline constexpr std::array<link::Transaction, 3> kKindTransactions{
    link::Transaction::Read, link::Transaction::Verify, link::Transaction::Program};

struct KindCounts {
    int started = 0;
    int succeeded = 0;
    int failed = 0;
    int replaced = 0; // a new command took over before it ended
};

struct Ending {
    Kind kind;
    bool success;
    DeviceImage written; // a Program's image as it started
};

// Starts the user commands and holds every tick against the unit:
// - every transaction ends once, as the one that ran, on the tick the link goes idle, or as
//   cancelled when the next command replaces it;
// - success and a finished Program are reported only while the unit's blocks 1..5 equal the
//   image;
// - the parameter bytes change only in a Read, only in the block the Read was answered for, and
//   through the consistency pass where a Read ends.
class TransactionWatch {
public:
    TransactionWatch(link::Link &link, SoakView &view, DeviceImage &image)
        : m_link(link), m_view(view), m_image(image)
    {}

    // As the menu item does; a transaction still running is replaced.
    void start(Kind kind)
    {
        const std::size_t endedBefore = m_view.endings().size();
        const bool lineLost = m_link.port() && m_link.port()->lost();
        ++tally(kind).started;
        switch (kind) {
        case Kind::Read:
            m_link.MenuReadClick();
            break;
        case Kind::Verify:
            m_link.MenuVerifyClick();
            break;
        case Kind::Program:
            m_link.MenuProgramClick();
            break;
        }
        const auto &endings = m_view.endings();
        std::size_t next = endedBefore;
        if (m_kind) {
            ++tally(*m_kind).replaced;
            const link::HeadlessView::Ended cancelled{transactionOf(*m_kind),
                                                      link::Outcome::Cancelled};
            EXPECT_TRUE(endings.size() > next && endings[next] == cancelled)
                << "a replaced transaction did not end as cancelled";
            ++next;
        }
        m_kind = kind;
        m_written = m_image;
        if (lineLost && endings.size() > next) {
            // A command on a lost line ends at once, in failure, and runs no further.
            const link::HeadlessView::Ended &ended = endings[next];
            EXPECT_EQ(endings.size(), next + 1) << "two ends of one command";
            EXPECT_EQ(ended.transaction, transactionOf(kind));
            EXPECT_NE(ended.outcome, link::Outcome::Ok) << "success on a lost line";
            EXPECT_EQ(m_link.transferMode(), link::TransferMode::Idle);
            ++tally(kind).failed;
            ++m_failures[std::string(kKindNames[static_cast<std::size_t>(kind)]) + ": " +
                         std::string(link::outcomeName(ended.outcome))];
            m_kind.reset();
            return;
        }
        EXPECT_EQ(endings.size(), next)
            << (next == endedBefore ? "a command on an idle link" : "two ends of one command");
    }

    bool running() const { return m_kind.has_value(); }
    std::optional<Kind> kind() const { return m_kind; }
    const DeviceImage &written() const { return m_written; }

    void beforeTick()
    {
        m_modeBefore = m_link.transferMode();
        m_commandBefore = m_link.commandByte();
        m_endedBefore = m_view.endings().size();
        m_doneBefore = m_link.programDone();
        m_imageBefore = m_image;
    }

    // `unit` is the unit's memory after the tick. Tells when the running transaction ended.
    std::optional<Ending> afterTick(const DeviceImage &unit)
    {
        checkParameterChanges();
        const auto ended = endedThisTick();
        const bool success = ended && ended->outcome == link::Outcome::Ok;
        if (success) {
            EXPECT_TRUE(sameParameters(unit, m_image))
                << "success while the unit differs in blocks " << differingBlocks(unit, m_image);
        }
        if (m_link.programDone() && !m_doneBefore) {
            EXPECT_TRUE(sameParameters(unit, m_image))
                << "a finished Program while the unit differs in blocks "
                << differingBlocks(unit, m_image);
        }
        const bool running = m_kind && m_link.transferMode() != link::TransferMode::Idle;
        EXPECT_TRUE(running || !m_kind || ended) << "the link went idle without an end";
        EXPECT_TRUE(!ended || (!running && m_kind && ended->transaction == transactionOf(*m_kind)))
            << "an end reported for no transaction that ran";
        if (!m_kind || running)
            return std::nullopt;

        const Ending ending{*m_kind, success, m_written};
        KindCounts &c = tally(*m_kind);
        if (success) {
            ++c.succeeded;
        } else {
            ++c.failed;
            const std::string_view why =
                ended ? link::outcomeName(ended->outcome) : std::string_view("no end reported");
            ++m_failures[std::string(kKindNames[static_cast<std::size_t>(*m_kind)]) + ": " +
                         std::string(why)];
        }
        m_kind.reset();
        return ending;
    }

    const KindCounts &counts(Kind kind) const { return m_counts[static_cast<std::size_t>(kind)]; }
    const std::map<std::string, int> &failures() const { return m_failures; }

private:
    KindCounts &tally(Kind kind) { return m_counts[static_cast<std::size_t>(kind)]; }
    static link::Transaction transactionOf(Kind kind)
    {
        return kKindTransactions[static_cast<std::size_t>(kind)];
    }
    // The one end reported in the last tick; a second in one tick fails the soak.
    std::optional<link::HeadlessView::Ended> endedThisTick() const
    {
        const auto &endings = m_view.endings();
        EXPECT_LE(endings.size(), m_endedBefore + 1) << "two ends in one tick";
        if (endings.size() == m_endedBefore)
            return std::nullopt;
        return endings.back();
    }

    void checkParameterChanges() const
    {
        DeviceImage expected = m_imageBefore;
        std::array<bool, layout::kBlockCount> open{};
        if (m_modeBefore == link::TransferMode::Read) {
            const std::size_t b = m_commandBefore & link::kBlockMask;
            const link::TransferMode mode = m_link.transferMode();
            // Block 5 came in and the pass ran over blocks that this Read took in one by one.
            if (mode == link::TransferMode::Verify)
                return;
            if (mode == link::TransferMode::Read && m_link.commandByte() != m_commandBefore)
                open[b] = true;
            // A refusal at block 0 runs the consistency pass over what the image holds.
            const auto ended = m_view.endings().size() > m_endedBefore
                                   ? std::optional(m_view.endings().back())
                                   : std::nullopt;
            const bool refused = ended && (ended->outcome == link::Outcome::NoReading ||
                                           ended->outcome == link::Outcome::VersionMismatch);
            if (mode == link::TransferMode::Idle && refused)
                consistencyPass(expected);
        }
        for (std::size_t k = kFirstParameterBlock; k <= kLastBlock; ++k) {
            if (!open[k]) {
                EXPECT_TRUE(sameBlock(m_image, expected, k))
                    << "block " << k << " changed in a tick that started in mode "
                    << static_cast<int>(m_modeBefore) << " with command " << int{m_commandBefore};
            }
        }
    }

    link::Link &m_link;
    SoakView &m_view;
    DeviceImage &m_image;

    std::optional<Kind> m_kind;
    DeviceImage m_written;
    std::array<KindCounts, 3> m_counts{};
    std::map<std::string, int> m_failures;

    link::TransferMode m_modeBefore = link::TransferMode::Idle;
    std::uint8_t m_commandBefore = 0;
    std::size_t m_endedBefore = 0;
    bool m_doneBefore = false;
    DeviceImage m_imageBefore;
};

// What the unit may hold in each parameter block: the bytes of the last Program that ended in
// "Verify OK", or those of any Program started since, which may have reached it before failing.
class UnitModel {
public:
    explicit UnitModel(const DeviceImage &start) { programFinished(start); }

    void programStarted(const DeviceImage &image)
    {
        for (std::size_t k = kFirstParameterBlock; k <= kLastBlock; ++k) {
            const Block block = toBlock(image, k);
            if (std::ranges::find(m_allowed[k], block) == m_allowed[k].end())
                m_allowed[k].push_back(block);
        }
    }
    void programFinished(const DeviceImage &image)
    {
        m_last = image;
        for (std::size_t k = kFirstParameterBlock; k <= kLastBlock; ++k)
            m_allowed[k] = {toBlock(image, k)};
    }
    const DeviceImage &lastProgrammed() const { return m_last; }

    // The parameter blocks of `unit` that no Program put there, as "3 4", or "none".
    std::string strangeBlocks(const DeviceImage &unit) const
    {
        std::string out;
        for (std::size_t k = kFirstParameterBlock; k <= kLastBlock; ++k) {
            if (std::ranges::find(m_allowed[k], toBlock(unit, k)) == m_allowed[k].end())
                out += (out.empty() ? "" : " ") + std::to_string(k);
        }
        return out.empty() ? "none" : out;
    }

private:
    using Block = std::array<std::uint8_t, layout::kBlockSize>;
    static Block toBlock(const DeviceImage &image, std::size_t k)
    {
        Block b{};
        std::ranges::copy(image.block(k), b.begin());
        return b;
    }

    DeviceImage m_last;
    std::array<std::vector<Block>, layout::kBlockCount> m_allowed;
};

// The faults a unit put on the line, found by running its requests through a fault injector
// with the same plan: the injector decides by counting alone, so it repeats what the unit did.
struct FaultTally {
    // A split whose second part comes later than the soak waits for a reply.
    static constexpr std::chrono::milliseconds kDelayedPause{8};

    std::size_t requests = 0;
    std::size_t dropped = 0;
    std::size_t corrupted = 0;
    std::size_t wrongCommand = 0;
    std::size_t split = 0;
    std::size_t delayed = 0;
    std::size_t stray = 0;
    std::size_t strayBytes = 0;
    std::size_t altered = 0;
    std::size_t silenced = 0;
    std::size_t hangUps = 0;

    void add(const sim::FaultPlan &plan, std::span<const sim::ReceivedFrame> received)
    {
        sim::FaultInjector injector(plan);
        for (const sim::ReceivedFrame &r : received) {
            ++requests;
            const bool silentBefore = injector.silent();
            std::optional<link::Frame> clean;
            if (r.answered)
                clean = link::makeFrame(r.bytes[0] ^ link::kReplyBit, {});
            const sim::Transmission tx = injector.shape(clean);
            hangUps += tx.hangUp ? 1 : 0;
            if (!clean)
                continue;
            if (silentBefore) {
                ++silenced;
                continue;
            }
            if (tx.segments.empty()) {
                ++dropped;
                continue;
            }
            if (tx.segments.size() > 1)
                ++(tx.segments.back().pauseBefore >= kDelayedPause ? delayed : split);
            const std::vector<std::uint8_t> bytes = tx.bytes();
            if (bytes.size() > link::kFrameSize) {
                ++stray;
                strayBytes += bytes.size() - link::kFrameSize;
            }
            const auto f = std::span<const std::uint8_t>(bytes).last(link::kFrameSize);
            wrongCommand += f[0] != (*clean)[0] ? 1 : 0;
            corrupted += link::frameValid(f) ? 0 : 1;
            altered += std::equal(f.begin() + 1, f.end() - 1, clean->begin() + 1) ? 0 : 1;
        }
    }

    std::string summary() const
    {
        std::ostringstream out;
        out << "dropped " << dropped << ", corrupted " << corrupted << ", wrong command "
            << wrongCommand << ", split " << split << ", delayed " << delayed << ", stray " << stray
            << " (" << strayBytes << " bytes), altered " << altered << ", silenced " << silenced
            << ", hang-ups " << hangUps << " (of " << requests << " requests)";
        return out.str();
    }
};

} // namespace velmora::soak
