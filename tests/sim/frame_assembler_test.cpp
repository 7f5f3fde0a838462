#include "sim/frame_assembler.h"

#include "sim_test_frames.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

using namespace testing;
using std::chrono::milliseconds;

const Clock::time_point kT0 = Clock::time_point{} + std::chrono::hours(1);

std::vector<std::uint8_t> bytesOf(std::initializer_list<link::Frame> frames)
{
    std::vector<std::uint8_t> out;
    for (const auto &f : frames)
        out.insert(out.end(), f.begin(), f.end());
    return out;
}

TEST(FrameAssembler, ReassemblesAcrossReadsAndStampsTheFirstByte)
{
    FrameAssembler assembler;
    const auto bytes = bytesOf({request(0x41), request(0x30)});
    const std::span<const std::uint8_t> all(bytes);
    EXPECT_TRUE(assembler.feed(all.first(40), kT0).empty());
    auto frames = assembler.feed(all.subspan(40, 100), kT0 + milliseconds(5));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, request(0x41));
    EXPECT_EQ(frames[0].firstByteAt, kT0);

    frames = assembler.feed(all.subspan(140), kT0 + milliseconds(9));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, request(0x30));
    EXPECT_EQ(frames[0].firstByteAt, kT0 + milliseconds(5));
    EXPECT_EQ(assembler.pending(), 0u);
}

TEST(FrameAssembler, ARequestWithABadCheckByteGivesWayToTheNextOne)
{
    FrameAssembler assembler;
    link::Frame bad = request(3, 3);
    bad[link::kFrameSize - 1] ^= 0x01;
    EXPECT_TRUE(assembler.feed(bad, kT0).empty());
    const auto frames = assembler.feed(request(4, 4), kT0 + milliseconds(50));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, request(4, 4));
    EXPECT_EQ(assembler.discarded(), link::kFrameSize);
}

// Junk of every length and make-up, fed whole or in pieces, should almost never cost the request
// after it. Junk that happens to start with a command and fit a check byte cannot be told from a
// request, so a few losses are allowed; trying every offset would lose about a quarter.
TEST(FrameAssembler, RecoversFromJunkOfAnyLength)
{
    constexpr int kRounds = 500;
    int lost = 0;
    std::uint32_t random = 12345;
    auto next = [&random] {
        random = random * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(random >> 16);
    };
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::uint8_t> bytes(1 + next() % 150);
        for (std::uint8_t &b : bytes)
            b = next();
        const link::Frame wanted = request(static_cast<std::uint8_t>(round % 6), next());
        bytes.insert(bytes.end(), wanted.begin(), wanted.end());

        FrameAssembler assembler;
        std::vector<AssembledFrame> frames;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = round % 2
                                      ? bytes.size()
                                      : std::min<std::size_t>(1 + next() % 60, bytes.size() - at);
            const auto got = assembler.feed(std::span(bytes).subspan(at, n), kT0);
            frames.insert(frames.end(), got.begin(), got.end());
            at += n;
        }
        lost += frames.size() != 1 || frames[0].bytes != wanted;
    }
    EXPECT_LE(lost, kRounds / 100);
}

TEST(FrameAssembler, APartialRequestGoesStaleAfterAQuietSpell)
{
    FrameAssembler assembler(milliseconds(100));
    const auto bytes = bytesOf({request(0x30)});
    assembler.feed(std::span(bytes).first(50), kT0);
    assembler.feed(std::span(bytes).subspan(50, 10), kT0 + milliseconds(90));
    EXPECT_EQ(assembler.pending(), 60u) << "each gap alone is short enough";

    const Clock::time_point later = kT0 + milliseconds(200);
    const auto frames = assembler.feed(bytes, later);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].firstByteAt, later) << "timed from the retry, not the stale bytes";
    EXPECT_EQ(assembler.discarded(), 60u);
}

} // namespace
} // namespace velmora::sim
