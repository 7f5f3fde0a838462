#pragma once

#include "link/frame.h"
#include "live_points.h"
#include "monitor.h"
#include "monitor_display.h"
#include "serial_port.h"

#include "model/device_image.h"
#include "model/identity.h"
#include "model/triple.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmora::link {

// A transaction as the user started it. A Read's verify pass belongs to the Read and a Program's
// verify pass to the Program: either succeeds only when its verify pass does.
// A ScratchRead is a Read into another image than the one the link works on (Link::readInto).
enum class Transaction : std::uint8_t { Read, Verify, Program, TuningWrite, ScratchRead };

// How a transaction ended. A timeout is named by the phase it stopped in, so a Program whose
// verify pass found no match ends in VerifyError; so is a line lost in the middle of a phase.
enum class Outcome : std::uint8_t {
    Ok,
    ReadError,
    NoReading, // the unit forbids reading its set
    VerifyError,
    ProgramError,
    VersionMismatch, // the unit runs a program this one does not speak to
    ModelRefused,    // the unit is not for the chosen motorcycle
    Cancelled,       // a new command took over the line
};

// The outcome in lower-case words, "ok", "read error", ...: as ride logs and reports name it.
std::string_view outcomeName(Outcome outcome);

// What the link asks of the window: the editing steps it needs, and what to show. The texts are
// UTF-8 and already in the user's language.
class LinkView {
public:
    virtual ~LinkView() = default;

    virtual void takeOverStep() = 0;
    virtual void consistencyPass() = 0;
    virtual void showStep() = 0;

    // The message line: caption and red (error) or normal background; `show` also makes the
    // line visible, otherwise its visibility stays as it is.
    virtual void setMessage(const std::string &text, bool error, bool show) = 0;
    // The progress gauge beside it, 0..kGaugeMax.
    virtual void setGauge(int progress, bool show) = 0;
    virtual void hideMessageLine() = 0; // the line and its gauge
    virtual void setNoConnection(bool shown) = 0;
    virtual void clearFileLabel() = 0;
    // A message box; the window opens it after the tick that asked for it has ended.
    virtual void messageBox(const std::string &text) = 0;
    // What a valid monitor reply shows, and the cells the engine runs in now.
    virtual void showMonitor(const MonitorDisplay &display) = 0;
    virtual void markLiveCells(const Marking &marking) = 0;
    // Once for every transaction, beside the caption that shows its end. A tuning write that
    // got no echo in time reports ProgramError once; it is still repeated, and the echo that
    // comes at last reports Ok.
    virtual void transactionEnded(Transaction, Outcome) {}
    // A tuning step changed the image byte at `offset` (a cell of an injection map) from `from`
    // to `to`; the block that carries it goes to the unit next.
    virtual void cellTuned(std::size_t /*offset*/, std::uint8_t /*from*/, std::uint8_t /*to*/) {}

    virtual bool programAfterChangeTicked() const = 0;
    virtual bool tuningOnTicked() const = 0;
    virtual bool extendedMonitorTicked() const = 0;
    // Index of the page on show: 1 the TP14 map, 2 the TP23 map, 3 the IAP map.
    virtual int shownPage() const = 0;
    virtual std::uint8_t language() const = 0;
};

enum class TransferMode : std::uint8_t { Idle = 0, Program = 1, Verify = 2, Read = 3 };

// The request/reply protocol with the unit, paced by the 55 ms tick. It owns the link state and
// works on the device image it is given; it never waits for the unit.
class Link {
public:
    static constexpr int kGaugeMax = 5;
    static constexpr int kResendTicks = 4;
    static constexpr int kMaxSends = 5;
    static constexpr int kMonitorTicks = 6;
    static constexpr int kNoReplyTicks = 18;
    static constexpr int kMessageTicks = 200;
    static constexpr int kSavingStart = 503;
    static constexpr std::size_t kRxSize = 1024;

    Link(DeviceImage &image, LinkView &view);

    // The line to talk on; nullptr when no port is open. A transaction whose line is lost, or
    // whose request cannot be written, ends at once as its time-out would, with its own text.
    void setPort(SerialPort *port) { m_port = port; }
    SerialPort *port() const { return m_port; }

    // Timer1's tick.
    void tick();

    // The three user commands.
    void MenuProgramClick();
    void MenuVerifyClick();
    void MenuReadClick();
    // A Read that ends idle after block 5 and the consistency pass, without the verify pass: for
    // a tool that only needs the unit's set. It ends Ok only when all six blocks came in.
    void readWithoutVerify();
    // Reads the unit's six blocks into `scratch` as the unit holds them: no consistency pass, no
    // show step, no verify pass, and the image the link works on stays untouched. It is refused
    // as a Read is (another program version, reading forbidden) and ends Ok once block 5 came
    // in. `scratch` must outlive the transaction.
    void readInto(DeviceImage &scratch);
    // The last part of every after-change step.
    void ProgramAfterChange();

    // A tuning write: one map block (3, 4 or 5) sent while the link stays idle; the idle reply
    // path acknowledges it.
    void startTuningWrite(std::uint8_t block);
    bool tuningWritePending() const { return m_tuningWrite; }

    // Keeps the message line up for its full time again, as a new message does.
    void holdMessageLine() { m_messageTimer = kMessageTicks; }

    void ReadComPort();
    void HandleBlockReply(std::span<const std::uint8_t> reply);
    void SendBlockRequest();
    void SendMonitorRequest();

    TransferMode transferMode() const { return m_mode; }
    std::uint8_t commandByte() const { return m_command; }
    int retryCount() const { return m_retries; }
    int tickCount() const { return m_ticks; }
    int messageTimer() const { return m_messageTimer; }
    int noReplyTicks() const { return m_noReply; }
    bool programDone() const { return m_programDone; }
    int gauge() const { return m_gauge; }
    // The unit's version, date and time as the last identity block received in this run gave
    // them; empty until one arrives.
    const UnitIdentity &unitIdentity() const { return m_identity; }
    const LiveValues &live() const { return m_live; }
    LiveValues &live() { return m_live; }
    const LivePoints &points() const { return m_points; }
    bool inWindow() const { return m_inWindow; }
    bool onTarget() const { return m_onTarget; }
    int steadyCount() const { return m_steady; }

    static constexpr int kTp14Page = 1;
    static constexpr int kTp23Page = 2;
    static constexpr int kIapPage = 3;

private:
    void MonitorReply(std::span<const std::uint8_t> reply);
    void tuningStep();
    bool nudgeCell(std::size_t offset, bool lean, bool rich);
    void trackLiveCells();
    void advance();
    // Into the link's own image, or into `scratch` when one is given.
    void startRead(bool verifyAfterwards, DeviceImage *scratch = nullptr);
    void startVerifyPass();
    // Ends the running transaction in the failure of the phase it is in, `text` in the line.
    void fail(const Triple &text);
    // A new transaction on the line cancels the one that runs.
    void begin(Transaction transaction);
    void end(Outcome outcome);
    void takeIdentity(std::span<const std::uint8_t> reply, DeviceImage &into);
    bool readingScratch() const { return m_readTarget != &m_image; }
    void message(const Triple &text, bool error, bool show);
    void setGauge(int progress, bool show);
    std::string pickText(const Triple &triple) const;
    bool blockMatchesImage(std::span<const std::uint8_t> reply, std::size_t block) const;

    DeviceImage &m_image;
    LinkView &m_view;
    SerialPort *m_port = nullptr;

    TransferMode m_mode = TransferMode::Idle;
    Transaction m_transaction = Transaction::Read; // the one m_mode runs for
    std::uint8_t m_command = 0;
    int m_retries = 0;
    int m_ticks = 0;
    int m_messageTimer = 0;
    int m_noReply = 0;
    bool m_programDone = false;
    bool m_tuningWrite = false;
    bool m_verifyAfterRead = true;
    DeviceImage *m_readTarget = &m_image; // where a Read puts the blocks
    int m_gauge = 0;
    bool m_armed = false;
    UnitIdentity m_identity;
    DeviceImage m_shadow; // the image as the program-after-change check last programmed it
    LiveValues m_live;
    LivePoints m_points;
    MonitorDisplay m_display;
    bool m_inWindow = false;
    bool m_onTarget = false;
    int m_steady = 0;
    std::array<std::uint8_t, kRxSize> m_rx{};
};

} // namespace velmora::link
