#pragma once

#include "link.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velmora::link {

// The link's view without a window: it keeps what the window would show so that a tool can
// report it. Editing steps do nothing but the consistency pass, as nothing is typed here.
class HeadlessView : public LinkView {
public:
    HeadlessView(DeviceImage &image, std::uint8_t language, bool extendedMonitor = false)
        : m_image(image), m_language(language), m_extendedMonitor(extendedMonitor)
    {}

    void takeOverStep() override {}
    void consistencyPass() override;
    void showStep() override {}
    void setMessage(const std::string &text, bool error, bool show) override;
    void setGauge(int, bool) override {}
    void hideMessageLine() override {}
    void setNoConnection(bool shown) override { m_noConnection = shown; }
    void clearFileLabel() override {}
    void messageBox(const std::string &text) override { m_box = text; }
    void showMonitor(const MonitorDisplay &display) override;
    void markLiveCells(const Marking &) override {}
    void transactionEnded(Transaction transaction, Outcome outcome) override
    {
        m_ended = Ended{transaction, outcome};
    }
    bool programAfterChangeTicked() const override { return false; }
    bool tuningOnTicked() const override { return m_tuningOn; }
    bool extendedMonitorTicked() const override { return m_extendedMonitor; }
    int shownPage() const override { return m_page; }
    // A headless tuning run: switched on, with a map page as if on show.
    void setTuning(bool on, int page)
    {
        m_tuningOn = on;
        m_page = page;
    }
    std::uint8_t language() const override { return m_language; }

    struct Ended {
        Transaction transaction;
        Outcome outcome;
        friend bool operator==(const Ended &, const Ended &) = default;
    };
    // The transaction that ended last; empty until one ends or after forgetEnded().
    const std::optional<Ended> &ended() const { return m_ended; }
    void forgetEnded() { m_ended.reset(); }

    const std::string &message() const { return m_message; }
    bool messageError() const { return m_messageError; }
    const std::optional<std::string> &box() const { return m_box; }
    bool noConnection() const { return m_noConnection; }
    // Counts the valid monitor replies shown so far.
    int monitorCount() const { return m_monitorCount; }
    const MonitorDisplay &display() const { return m_display; }

private:
    DeviceImage &m_image;
    std::uint8_t m_language;
    bool m_extendedMonitor;
    std::string m_message;
    bool m_messageError = false;
    std::optional<std::string> m_box;
    std::optional<Ended> m_ended;
    bool m_noConnection = false;
    int m_monitorCount = 0;
    bool m_tuningOn = false;
    int m_page = 0;
    MonitorDisplay m_display;
};

} // namespace velmora::link
