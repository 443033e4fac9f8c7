#include "master/PhaseResultRing.h"

#include <gtest/gtest.h>

#include <memory>

namespace Tavo
{
namespace
{
    struct Take
    {
        int segmentEnd;
        float target;
    };

    // One call of the reading rule for a 512-sample block whose delayed
    // output reaches timeline position p at offset p + delayedOffset.
    Take take (PhaseResultRing& ring, int segmentStart, std::int32_t delayedOffset, float target = -9.0f)
    {
        int end = 512;
        ring.take (segmentStart, end, delayedOffset, target);
        return { end, target };
    }
} // namespace

TEST (ResultHandoff, ANewRingReadsPhaseZeroAtPositionZero)
{
    auto ring = std::make_unique<PhaseResultRing>();
    EXPECT_EQ (ring->newest().position, 0);
    EXPECT_EQ (ring->newest().phase, 0.0f);

    const auto t = take (*ring, 0, 0, 0.25f);
    EXPECT_EQ (t.segmentEnd, 512);
    EXPECT_EQ (t.target, 0.25f); // nothing taken: the target stays
}

TEST (ResultHandoff, AnEntryDueInsideTheBlockEndsTheSegmentAtItsSample)
{
    auto ring = std::make_unique<PhaseResultRing>();
    ring->publish (5000, 1.0f, 1.0f);

    const auto first = take (*ring, 0, 100 - 5000);
    EXPECT_EQ (first.segmentEnd, 100);
    EXPECT_EQ (ring->readCount(), 1);

    const auto second = take (*ring, 100, 100 - 5000);
    EXPECT_EQ (second.target, 1.0f);
    EXPECT_EQ (second.segmentEnd, 512);
}

TEST (ResultHandoff, ALateEntryAppliesOneSampleLater)
{
    auto ring = std::make_unique<PhaseResultRing>();
    ring->publish (5000, 1.0f, 1.0f);

    EXPECT_EQ (take (*ring, 200, 100 - 5000).segmentEnd, 201);
}

TEST (ResultHandoff, OfTwoEntriesDueAtOneSampleTheLastWins)
{
    auto ring = std::make_unique<PhaseResultRing>();
    ring->publish (5000, 1.0f, 1.0f);
    ring->publish (5000, 2.0f, 2.0f);

    EXPECT_EQ (take (*ring, 0, 100 - 5000).segmentEnd, 100);
    const auto empty = take (*ring, 100, 100 - 5000);
    EXPECT_EQ (empty.segmentEnd, 100); // an empty segment: the second is taken at once
    EXPECT_EQ (empty.target, 1.0f);
    EXPECT_EQ (take (*ring, 100, 100 - 5000).target, 2.0f);
}

TEST (ResultHandoff, PositionsRunningBackwardsSkipToTheNewest)
{
    struct Case
    {
        const char* what;
        std::vector<std::pair<std::int32_t, float>> entries;
    };

    const Case cases[] = {
        { "after a resynchronisation", { { 9000, 0.5f }, { 9100, 0.6f }, { 300, 0.7f } } },
        { "a track whose group is off", { { 4000, 0.0f }, { 3280, 0.0f } } },
    };

    for (const auto& c : cases)
    {
        auto ring = std::make_unique<PhaseResultRing>();

        for (const auto& [position, phase] : c.entries)
            ring->publish (position, phase, phase);

        const auto newest = c.entries.back();
        const auto t = take (*ring, 0, 50 - newest.first);
        EXPECT_EQ (t.segmentEnd, 50) << c.what;
        EXPECT_EQ (ring->readCount(), ring->writeCount()) << c.what;
        EXPECT_EQ (take (*ring, 50, 0).target, newest.second) << c.what;
    }
}

TEST (ResultHandoff, PositionsWrapAroundThe32BitTimeline)
{
    auto ring = std::make_unique<PhaseResultRing>();
    ring->publish (std::numeric_limits<std::int32_t>::max() - 10, 1.0f, 1.0f);

    // The block starts 20 samples before the wrap, lookahead 0.
    const auto blockStart = std::numeric_limits<std::int32_t>::max() - 19;
    const auto offset = static_cast<std::int32_t> (0u - static_cast<std::uint32_t> (blockStart));
    EXPECT_EQ (take (*ring, 0, offset).segmentEnd, 9);
}
} // namespace Tavo
