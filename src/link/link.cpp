#include "link.h"

#include "link_texts.h"

#include "model/grid_steps.h"
#include "model/identity.h"

#include <algorithm>

namespace velmora::link {

namespace {
constexpr std::uint8_t kProgramFirst = 0x00;
constexpr std::uint8_t kVerifyFirst = kStoredBit | 1;
constexpr std::uint8_t kReadFirst = kStoredBit | 0;
constexpr std::size_t kLastBlock = 5;
constexpr std::uint8_t kTp14MapBlock = layout::kJetTp / layout::kBlockSize;
constexpr std::uint8_t kTp23MapBlock = layout::kJetTpi / layout::kBlockSize;
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

void Link::setGauge(int progress, bool show)
{
    m_gauge = std::clamp(progress, 0, kGaugeMax);
    m_view.setGauge(m_gauge, show);
}

void Link::tick()
{
    ReadComPort();

    if (m_mode != TransferMode::Idle) {
        if (++m_ticks >= kResendTicks) {
            m_ticks = 0;
            if (++m_retries <= kMaxSends) {
                SendBlockRequest();
            } else {
                const Triple &timeout = m_mode == TransferMode::Program  ? text::kProgramTimeout
                                        : m_mode == TransferMode::Verify ? text::kVerifyTimeout
                                                                         : text::kReadTimeout;
                message(timeout, true, false);
                if (m_mode == TransferMode::Verify)
                    m_programDone = false;
                m_mode = TransferMode::Idle;
            }
        }
        if (m_mode == TransferMode::Read)
            m_programDone = false;
    } else {
        const bool tuning = m_view.tuningOnTicked() && m_live.mapHold == 0 && m_live.speed != 0;
        if (!tuning) {
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
        }
        // The tuning step and its counters come with the tuning itself.
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
    if (!decodeLiveValues(reply, m_live))
        return;
    m_noReply = 0;
    m_view.monitorReply(reply);
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
    if (m_port)
        m_port->writeFrame(makeFrame(m_command, data));
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
    m_mode = TransferMode::Program;
    m_command = kProgramFirst;
    m_retries = 1;
    SendBlockRequest();
    message(text::kProgramStart, false, true);
    setGauge(0, true);
    m_programDone = false;
}

void Link::MenuVerifyClick()
{
    m_view.takeOverStep();
    m_view.consistencyPass();
    m_view.showStep();
    m_mode = TransferMode::Verify;
    m_command = kVerifyFirst;
    m_retries = 1;
    SendBlockRequest();
    message(text::kVerifyStart, false, true);
    m_programDone = false;
    setGauge(1, true);
}

void Link::MenuReadClick()
{
    m_mode = TransferMode::Read;
    m_command = kReadFirst;
    m_retries = 1;
    SendBlockRequest();
    message(text::kReadStart, false, true);
    setGauge(0, true);
    m_view.clearFileLabel();
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
    SendBlockRequest();
    message(text::kVerifyPass, false, true);
    setGauge(1, true);
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
        const auto target = m_image.block(b);
        std::copy(reply.begin() + 1, reply.begin() + 1 + kFrameData, target.begin());
        if (b == 0) {
            if (!isCompatible(m_image)) {
                m_mode = TransferMode::Idle;
                m_view.consistencyPass();
                m_view.showStep();
                m_view.messageBox(pickText(text::kVersionMismatch));
                return;
            }
            if (!readPermitted(m_image)) {
                message(text::kReadRefused, true, false);
                m_mode = TransferMode::Idle;
                m_view.consistencyPass();
                m_view.showStep();
                return;
            }
        }
        if (b < kLastBlock) {
            advance();
        } else {
            m_view.consistencyPass();
            m_view.showStep();
            startVerifyPass();
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
            m_mode = TransferMode::Idle;
        }
        return;
    case TransferMode::Program:
        if (!matching)
            return;
        if (b == 0) {
            const auto identity = m_image.block(0);
            std::copy(reply.begin() + 1, reply.begin() + 1 + kFrameData, identity.begin());
            m_view.consistencyPass();
            m_view.showStep();
            if (!isCompatible(m_image)) {
                m_mode = TransferMode::Idle;
                m_view.messageBox(pickText(text::kVersionMismatch));
                return;
            }
            if (!modelAccepted(m_image, m_image.bike())) {
                m_mode = TransferMode::Idle;
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
        if (!matching || b == 0 || !blockMatchesImage(reply, b))
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
        return;
    }
}

} // namespace velmora::link
