#include "link.h"

#include "link_texts.h"

#include "model/grid_steps.h"

#include <algorithm>

namespace velmora::link {

namespace {
constexpr std::uint8_t kProgramFirst = 0x00;
constexpr std::uint8_t kVerifyFirst = kStoredBit | 1;
constexpr std::uint8_t kReadFirst = kStoredBit | 0;
constexpr std::size_t kLastBlock = 5;
constexpr std::uint8_t kTp14MapBlock = layout::kJetTp / layout::kBlockSize;
constexpr std::uint8_t kTp23MapBlock = layout::kJetTpi / layout::kBlockSize;
constexpr std::uint8_t kIapMapBlock = layout::kJetIap / layout::kBlockSize;
} // namespace

Link::Link(DeviceImage &image, LinkView &view) : m_image(image), m_view(view) {}

std::string Link::pickText(const Triple &triple) const
{
    return triple.pick(m_view.language());
}

void Link::message(const Triple &text, bool error, bool show)
{
    m_view.setMessage(pickText(text), error, show);
    m_messageTimer = kMessageTicks;
}

void Link::begin(Transaction transaction)
{
    if (m_mode != TransferMode::Idle)
        m_view.transactionEnded(m_transaction, Outcome::Cancelled);
    m_transaction = transaction;
    m_readTarget = &m_image;
}

void Link::end(Outcome outcome)
{
    m_mode = TransferMode::Idle;
    m_view.transactionEnded(m_transaction, outcome);
}

void Link::fail(const Triple &text)
{
    message(text, true, false);
    if (m_mode == TransferMode::Verify)
        m_programDone = false;
    end(m_mode == TransferMode::Program  ? Outcome::ProgramError
        : m_mode == TransferMode::Verify ? Outcome::VerifyError
                                         : Outcome::ReadError);
}

void Link::setGauge(int progress, bool show)
{
    m_gauge = std::clamp(progress, 0, kGaugeMax);
    m_view.setGauge(m_gauge, show);
}

void Link::tick()
{
    ReadComPort();

    if (m_mode != TransferMode::Idle) {
        if (m_port && m_port->lost()) {
            fail(text::kLineLost);
        } else if (++m_ticks >= kResendTicks) {
            m_ticks = 0;
            if (++m_retries <= kMaxSends) {
                SendBlockRequest();
            } else {
                fail(m_mode == TransferMode::Program  ? text::kProgramTimeout
                     : m_mode == TransferMode::Verify ? text::kVerifyTimeout
                                                      : text::kReadTimeout);
            }
        }
        if (m_mode == TransferMode::Read)
            m_programDone = false;
    } else {
        const bool tuning = m_view.tuningOnTicked() && m_live.mapHold == 0 && m_live.speed != 0;
        if (tuning) {
            tuningStep();
        } else {
            if (++m_ticks >= kMonitorTicks) {
                m_ticks = 0;
                SendMonitorRequest();
            }
            if (m_live.savingCountdown > 0) {
                m_view.setMessage(pickText(text::kSaving), false, false);
                m_messageTimer = kMessageTicks;
                const std::int32_t left = m_live.savingCountdown;
                setGauge((kSavingStart - left) * kGaugeMax / kSavingStart, false);
            } else if (m_programDone) {
                m_view.setMessage(pickText(text::kProgramDone) + " OK", false, false);
                setGauge(kGaugeMax, false);
            }
            m_steady = 0;
            m_inWindow = false;
        }
    }

    if (m_messageTimer > 0 && --m_messageTimer == 0) {
        m_view.hideMessageLine();
        m_programDone = false;
    }

    if (m_noReply < kNoReplyTicks) {
        ++m_noReply;
        m_view.setNoConnection(false);
    } else {
        m_view.setNoConnection(true);
    }

    trackLiveCells();
}

void Link::trackLiveCells()
{
    m_points = livePoints(m_image, m_live);
    m_view.markLiveCells(liveMarking(m_points, m_live, m_inWindow, m_onTarget));
}

bool Link::nudgeCell(std::size_t offset, bool lean, bool rich)
{
    std::uint8_t &cell = m_image[offset];
    const std::uint8_t from = cell;
    if (lean && cell < 250)
        ++cell;
    else if (rich && cell > 0)
        --cell;
    else
        return false;
    m_view.cellTuned(offset, from, cell);
    return true;
}

void Link::tuningStep()
{
    using namespace layout;
    const int page = m_view.shownPage();
    const bool tpLoad = m_live.loadMode != 0;
    const int loadTolerance = m_image[kTuningTps];
    const int speedTolerance = m_image[kTuningRpm] * 10;
    const int target = m_image[kTuningLambda] * 10;
    const int tolerance = m_image[kTuningHyster] * 10;

    // 1: is the engine held at the live cell of the map on show?
    int load = 0, p = 0, s = 0;
    bool mapPage = true;
    if (page == kTp14Page && tpLoad) {
        p = kTpRowOpenings[static_cast<std::size_t>(m_points.tpRow)];
        s = m_image[kRpmJetTp + static_cast<std::size_t>(m_points.tp14Column)] * 100;
        load = m_live.throttleOpening;
    } else if (page == kTp23Page && tpLoad) {
        p = kTpRowOpenings[static_cast<std::size_t>(m_points.tpRow)];
        s = m_image[kRpmJetTpi + static_cast<std::size_t>(m_points.tp23Column)] * 100;
        load = m_live.throttleOpening;
    } else if (page == kIapPage && !tpLoad) {
        p = 10 * m_points.iapRow + 10;
        s = m_image[kRpmJetIap + static_cast<std::size_t>(m_points.iapColumn)] * 100;
        load = m_live.intakePressure;
    } else {
        mapPage = false;
    }
    const int speed = m_live.speed;
    m_inWindow = mapPage && p - loadTolerance <= load && load <= p + loadTolerance &&
                 s - speedTolerance < speed && speed < s + speedTolerance;

    // 2, 3
    const int lambda = m_live.lambdaMv;
    const bool lean = lambda < target - tolerance;
    const bool rich = lambda > target + tolerance;
    m_onTarget = !lean && !rich;
    m_steady = m_inWindow && !m_onTarget ? std::min(m_steady + 1, 65535) : 0;

    // 4: the rest runs on every fifth call.
    if (++m_ticks <= 4)
        return;
    m_ticks = 0;

    // 5: a block still waits for its echo.
    if (m_tuningWrite) {
        if (++m_retries > kMaxSends) {
            message(text::kProgramTimeout, true, false);
            if (m_retries == kMaxSends + 1)
                m_view.transactionEnded(Transaction::TuningWrite, Outcome::ProgramError);
        }
        SendBlockRequest();
        return;
    }

    // 6: held long enough off target, and a reply not used yet.
    if (m_steady >= 2 * m_image[kTuningTime] && m_live.fresh) {
        m_live.fresh = false;
        m_steady = 0;
        m_view.setGauge(m_gauge, true);
        m_messageTimer = kMessageTicks;
        const int row = page == kIapPage ? m_points.iapRow : m_points.tpRow;
        std::uint8_t block = 0;
        bool send = false;
        if (page == kTp14Page && tpLoad) {
            nudgeCell(kJetTp + static_cast<std::size_t>(10 * row + m_points.tp14Column), lean,
                      rich);
            if (m_image[kTpsMode] == kTpModeConnected)
                nudgeCell(kJetTpi + static_cast<std::size_t>(10 * row + m_points.tp23Column), lean,
                          rich);
            block = kTp14MapBlock;
            send = true; // block 3 goes out even when neither cell could move
        } else if (page == kTp23Page && tpLoad) {
            send = nudgeCell(kJetTpi + static_cast<std::size_t>(10 * row + m_points.tp23Column),
                             lean, rich);
            block = kTp23MapBlock;
        } else if (page == kIapPage && !tpLoad) {
            send = nudgeCell(kJetIap + static_cast<std::size_t>(10 * row + m_points.iapColumn),
                             lean, rich);
            block = kIapMapBlock;
        }
        if (!send)
            return;
        m_view.consistencyPass();
        m_view.showStep();
        startTuningWrite(block);
        return;
    }

    // 7
    SendMonitorRequest();
}

void Link::ReadComPort()
{
    if (!m_port)
        return;
    const std::size_t waiting = m_port->bytesWaiting();
    if (waiting < kFrameSize)
        return;
    // Everything waiting is taken, so the next reply starts the buffer again; a flood is taken
    // in parts of 1000.
    const std::size_t wanted = waiting > kRxSize ? 1000 : waiting;
    const std::size_t got = m_port->read(std::span<std::uint8_t>(m_rx.data(), wanted));
    if (got < kFrameSize)
        return;
    const std::span<const std::uint8_t> reply(m_rx.data(), kFrameSize);
    if (reply[0] == kMonitorReply)
        MonitorReply(reply);
    else
        HandleBlockReply(reply);
}

void Link::MonitorReply(std::span<const std::uint8_t> reply)
{
    MonitorContext context;
    context.extended = m_view.extendedMonitorTicked();
    context.advanceLimit = m_image[layout::kAdvanceLimit];
    context.limiter = m_image[layout::kLimiter2];
    context.versionMismatch = pickText(text::kStoredVersionMismatch);
    if (!decodeMonitor(reply, context, m_live, m_display))
        return;
    m_display.sample.cells = livePoints(m_image, m_live);
    m_noReply = 0;
    m_view.showMonitor(m_display);
}

void Link::SendBlockRequest()
{
    m_ticks = 0;
    const std::size_t block = m_command & kBlockMask;
    std::array<std::uint8_t, kFrameData> data{};
    if (m_mode != TransferMode::Read && block <= kLastBlock) {
        const auto source = m_image.block(block);
        std::copy(source.begin(), source.end(), data.begin());
    }
    if (!m_port)
        return; // the request goes nowhere and the transaction runs into its time-out
    // A port closed on purpose does not take the request either, and counts as no port.
    if (!m_port->writeFrame(makeFrame(m_command, data)) && m_port->lost() &&
        m_mode != TransferMode::Idle)
        fail(text::kLineLost);
}

void Link::SendMonitorRequest()
{
    if (m_port)
        m_port->writeFrame(makeFrame(kMonitorCommand, std::array<std::uint8_t, kFrameData>{}));
}

void Link::MenuProgramClick()
{
    m_view.takeOverStep();
    m_view.consistencyPass();
    m_view.showStep();
    begin(Transaction::Program);
    m_mode = TransferMode::Program;
    m_command = kProgramFirst;
    m_retries = 1;
    message(text::kProgramStart, false, true);
    setGauge(0, true);
    m_programDone = false;
    // Last, so that a request the line cannot take ends what was just shown.
    SendBlockRequest();
}

void Link::MenuVerifyClick()
{
    m_view.takeOverStep();
    m_view.consistencyPass();
    m_view.showStep();
    begin(Transaction::Verify);
    m_mode = TransferMode::Verify;
    m_command = kVerifyFirst;
    m_retries = 1;
    message(text::kVerifyStart, false, true);
    m_programDone = false;
    setGauge(1, true);
    SendBlockRequest();
}

void Link::MenuReadClick()
{
    startRead(true);
}

void Link::readWithoutVerify()
{
    startRead(false);
}

void Link::readInto(DeviceImage &scratch)
{
    startRead(false, &scratch);
}

void Link::startRead(bool verifyAfterwards, DeviceImage *scratch)
{
    m_verifyAfterRead = verifyAfterwards;
    begin(scratch ? Transaction::ScratchRead : Transaction::Read);
    if (scratch)
        m_readTarget = scratch;
    m_mode = TransferMode::Read;
    m_command = kReadFirst;
    m_retries = 1;
    // A Read refused at its first reply ends before any Read tick could forget an earlier
    // Program, whose "OK" would then stand in for the refusal.
    m_programDone = false;
    message(text::kReadStart, false, true);
    setGauge(0, true);
    if (!scratch)
        m_view.clearFileLabel(); // the window's set is about to become the unit's
    SendBlockRequest();
}

void Link::ProgramAfterChange()
{
    if (!m_view.programAfterChangeTicked()) {
        m_armed = false;
        return;
    }
    bool changed = !m_armed;
    m_armed = true;
    for (std::size_t i = layout::kParameterStart; i < layout::kImageSize; ++i) {
        if (m_shadow[i] != m_image[i]) {
            changed = true;
            m_shadow[i] = m_image[i];
        }
    }
    if (!changed)
        return;
    // The first request goes out from the tick, as the second send of block 0.
    begin(Transaction::Program);
    m_mode = TransferMode::Program;
    m_command = kProgramFirst;
    m_retries = 1;
    message(text::kProgramStart, false, true);
    setGauge(0, true);
    m_programDone = false;
}

void Link::startTuningWrite(std::uint8_t block)
{
    m_tuningWrite = true;
    m_command = block;
    m_retries = 1;
    SendBlockRequest();
}

bool Link::blockMatchesImage(std::span<const std::uint8_t> reply, std::size_t block) const
{
    const auto mine = m_image.block(block);
    return std::equal(mine.begin(), mine.end(), reply.begin() + 1);
}

void Link::advance()
{
    setGauge(m_gauge + 1, false);
    ++m_command;
    m_retries = 1;
    SendBlockRequest();
}

void Link::startVerifyPass()
{
    m_mode = TransferMode::Verify;
    m_command = kVerifyFirst;
    m_retries = 1;
    message(text::kVerifyPass, false, true);
    setGauge(1, true);
    SendBlockRequest();
}

void Link::takeIdentity(std::span<const std::uint8_t> reply, DeviceImage &into)
{
    const auto identity = into.block(0);
    std::copy(reply.begin() + 1, reply.begin() + 1 + kFrameData, identity.begin());
    m_identity = DecodeUnitIdentity(into);
}

void Link::HandleBlockReply(std::span<const std::uint8_t> reply)
{
    if (!frameValid(reply))
        return;
    m_noReply = 0;
    const std::size_t b = m_command & kBlockMask;
    const bool matching = reply[0] == (m_command ^ kReplyBit);
    if (b > kLastBlock)
        return;

    switch (m_mode) {
    case TransferMode::Read: {
        if (!matching)
            return;
        DeviceImage &into = *m_readTarget;
        // A read into a scratch image leaves the window's set, and so its steps, alone.
        const auto settle = [this] {
            if (!readingScratch()) {
                m_view.consistencyPass();
                m_view.showStep();
            }
        };
        if (b == 0) {
            takeIdentity(reply, into);
            if (!isCompatible(into)) {
                end(Outcome::VersionMismatch);
                settle();
                m_view.messageBox(pickText(text::kVersionMismatch));
                return;
            }
            if (!readPermitted(into)) {
                message(text::kReadRefused, true, false);
                end(Outcome::NoReading);
                settle();
                return;
            }
        } else {
            const auto target = into.block(b);
            std::copy(reply.begin() + 1, reply.begin() + 1 + kFrameData, target.begin());
        }
        if (b < kLastBlock) {
            advance();
        } else {
            settle();
            if (m_verifyAfterRead) {
                startVerifyPass();
            } else {
                setGauge(kGaugeMax, false);
                end(Outcome::Ok);
            }
        }
        return;
    }
    case TransferMode::Verify:
        if (!matching || !blockMatchesImage(reply, b))
            return;
        if (b < kLastBlock) {
            advance();
        } else {
            setGauge(kGaugeMax, false);
            message(text::kVerifyOk, false, false);
            end(Outcome::Ok);
        }
        return;
    case TransferMode::Program:
        if (!matching)
            return;
        if (b == 0) {
            takeIdentity(reply, m_image);
            m_view.consistencyPass();
            m_view.showStep();
            if (!isCompatible(m_image)) {
                end(Outcome::VersionMismatch);
                m_view.messageBox(pickText(text::kVersionMismatch));
                return;
            }
            if (!modelAccepted(m_image, m_image.bike())) {
                end(Outcome::ModelRefused);
                m_view.messageBox(pickText(text::kModelRefused));
                return;
            }
        } else if (!blockMatchesImage(reply, b)) {
            return;
        }
        if (b < kLastBlock) {
            advance();
        } else {
            m_programDone = true;
            startVerifyPass();
        }
        return;
    case TransferMode::Idle:
        // Only a tuning write waits for an echo here: a late repeat of a finished transaction's
        // last reply must not report a write that never happened.
        if (!m_tuningWrite || !matching || b == 0 || !blockMatchesImage(reply, b))
            return;
        if (m_command == kTp14MapBlock && m_image[layout::kTpsMode] == kTpModeConnected) {
            m_command = kTp23MapBlock; // the coupled TP23 map follows the TP14 map
            m_retries = 1;
            SendBlockRequest();
            return;
        }
        m_tuningWrite = false;
        setGauge(m_gauge < kGaugeMax ? m_gauge + 1 : 0, true);
        message(text::kTuningOk, false, true);
        m_view.transactionEnded(Transaction::TuningWrite, Outcome::Ok);
        return;
    }
}

std::string_view outcomeName(Outcome outcome)
{
    constexpr std::array<std::string_view, 8> kNames{
        "ok",
        "read error",
        "no reading",
        "verify error",
        "program error",
        "version mismatch",
        "model refused",
        "cancelled",
    };
    const auto index = static_cast<std::size_t>(outcome);
    return index < kNames.size() ? kNames[index] : std::string_view("unknown");
}

} // namespace velmora::link
