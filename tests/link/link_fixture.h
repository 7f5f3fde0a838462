#pragma once

#include "link/link.h"
#include "link/memory_port.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

using link::MemoryPort;

// Records what the link asked the window to show.
class FakeView : public link::LinkView {
public:
    explicit FakeView(DeviceImage &image) : m_image(image) {}

    int takeOvers = 0, passes = 0, shows = 0, fileCleared = 0, monitorReplies = 0;
    std::string message;
    std::vector<std::string> history; // every caption, in order
    bool messageError = false;
    bool messageVisible = false;
    int gaugeValue = -1;
    bool gaugeVisible = false;
    bool noConnection = false;
    std::vector<std::string> boxes;
    bool progHned = false;
    bool tuningOn = false;
    std::uint8_t lang = 1;

    void takeOverStep() override { ++takeOvers; }
    void consistencyPass() override
    {
        ++passes;
        velmora::consistencyPass(m_image);
    }
    void showStep() override { ++shows; }
    void setMessage(const std::string &text, bool error, bool show) override
    {
        message = text;
        if (history.empty() || history.back() != text)
            history.push_back(text);
        messageError = error;
        messageVisible = messageVisible || show;
    }
    void setGauge(int progress, bool show) override
    {
        gaugeValue = progress;
        gaugeVisible = gaugeVisible || show;
    }
    void hideMessageLine() override { messageVisible = gaugeVisible = false; }
    void setNoConnection(bool shown) override { noConnection = shown; }
    void clearFileLabel() override { ++fileCleared; }
    void messageBox(const std::string &text) override { boxes.push_back(text); }
    void showMonitor(const link::MonitorDisplay &d) override
    {
        ++monitorReplies;
        display = d;
    }
    void markLiveCells(const link::Marking &m) override { marking = m; }
    void transactionEnded(link::Transaction transaction, link::Outcome outcome) override
    {
        endings.push_back({transaction, outcome});
    }
    using Ending = std::pair<link::Transaction, link::Outcome>;
    std::vector<Ending> endings;
    struct Tuned {
        std::size_t offset;
        int from, to;
        friend bool operator==(const Tuned &, const Tuned &) = default;
    };
    void cellTuned(std::size_t offset, std::uint8_t from, std::uint8_t to) override
    {
        tuned.push_back({offset, from, to});
    }
    std::vector<Tuned> tuned;
    bool extendedMonitorTicked() const override { return extended; }
    int shownPage() const override { return page; }
    link::MonitorDisplay display;
    link::Marking marking{};
    bool extended = false;
    int page = 0;
    bool programAfterChangeTicked() const override { return progHned; }
    bool tuningOnTicked() const override { return tuningOn; }
    std::uint8_t language() const override { return lang; }

private:
    DeviceImage &m_image;
};

// A link over a memory port on a default image of model 0.
class LinkTest : public ::testing::Test {
protected:
    LinkTest()
    {
        applyDefaults(image);
        consistencyPass(image);
        link.setPort(&port);
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            link.tick();
    }
    static link::Frame reply(std::uint8_t command, std::span<const std::uint8_t> data = {})
    {
        return link::makeFrame(command, data);
    }

    DeviceImage image;
    MemoryPort port;
    FakeView view{image};
    link::Link link{image, view};
};

} // namespace velmora::test
